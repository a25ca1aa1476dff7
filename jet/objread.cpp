// Reader of the vector object text file: "MOVEI(x,y,z)", "DRAWI(x,y,z)" and
// "SCALE(x,y,z)" commands separated by commas, white space ignored anywhere.
// Called by LoadObjects when the jet demo is given a file name.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "jet/object.h"

namespace {

const int32_t kGrowBy = 500;  // records added each time the list is full

struct CommandList {
  ObjectCommand *records;
  int32_t count;
  int32_t capacity;
};

// One command as read: its kept characters and whether any had to be left
// out for want of room.
struct CommandText {
  char text[OBJECT_COMMAND_MAX + 1];
  int32_t length;
  bool cut;
};

bool IsWhiteSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsNumberCharacter(char c) {
  return (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Reads up to the next comma outside parentheses (not kept) or the end of the
// file; counts line feeds into *line. Returns false at the end of the file.
bool ReadCommand(FILE *f, CommandText *cmd, int32_t *line) {
  cmd->length = 0;
  cmd->cut = false;
  int depth = 0;
  for (;;) {
    const int c = std::fgetc(f);
    if (c == EOF) return false;
    if (c == '\n') ++*line;
    if (IsWhiteSpace(c)) continue;
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      --depth;
    } else if (c == ',' && depth <= 0) {
      return true;
    }
    if (cmd->length < OBJECT_COMMAND_MAX)
      cmd->text[cmd->length++] = static_cast<char>(c);
    else
      cmd->cut = true;  // read on to the separator, so the next command starts right
  }
}

// Parses a non-empty command. Returns false on a parse error.
bool ParseCommand(const CommandText *cmd, ObjectCommand *out) {
  static const struct {
    const char *keyword;
    int32_t type;
  } kKeywords[] = {{"MOVEI(", OBJECT_MOVEI}, {"DRAWI(", OBJECT_DRAWI}, {"SCALE(", OBJECT_SCALE}};

  out->type = OBJECT_END;
  if (cmd->length >= 6)
    for (const auto &k : kKeywords)
      if (std::memcmp(cmd->text, k.keyword, 6) == 0) out->type = k.type;
  if (out->type == OBJECT_END) return false;

  char fields[3][OBJECT_FIELD_MAX + 1] = {};
  int32_t lengths[3] = {0, 0, 0};
  int32_t commas = 0;
  bool closed = false;
  for (int32_t i = 6; i < cmd->length; ++i) {
    const char c = cmd->text[i];
    if (c == ')') {
      closed = true;
      break;
    }
    if (c == ',') {
      if (++commas == 3) break;
      continue;
    }
    if (!IsNumberCharacter(c)) continue;                    // dropped without complaint
    if (lengths[commas] == OBJECT_FIELD_MAX) return false;  // cutting would change the value
    fields[commas][lengths[commas]++] = c;
  }
  // A cut command is only safe to read when its ")" was kept: everything
  // after it is ignored anyway.
  if (cmd->cut && !closed) return false;
  if (commas != 2 || lengths[0] == 0 || lengths[1] == 0 || lengths[2] == 0) return false;

  out->x = static_cast<float>(std::strtod(fields[0], nullptr));
  out->y = static_cast<float>(std::strtod(fields[1], nullptr));
  out->z = static_cast<float>(std::strtod(fields[2], nullptr));
  out->w = 1.0f;
  return true;
}

bool Append(CommandList *list, const ObjectCommand &c) {
  if (list->count == list->capacity) {
    const size_t bytes = sizeof(ObjectCommand) * static_cast<size_t>(list->capacity + kGrowBy);
    void *grown = std::realloc(list->records, bytes);
    if (grown == nullptr) return false;
    list->records = static_cast<ObjectCommand *>(grown);
    list->capacity += kGrowBy;
  }
  list->records[list->count++] = c;
  return true;
}

}  // namespace

extern "C" void FreeObjectCommands(ObjectCommand *commands) {
  std::free(commands);
}

extern "C" ObjectCommand *ReadObjectFile(const char *fileName) {
  if (fileName == nullptr) return nullptr;
  FILE *f = std::fopen(fileName, "r");
  if (f == nullptr) return nullptr;

  CommandList list = {static_cast<ObjectCommand *>(std::malloc(sizeof(ObjectCommand) * kGrowBy)), 0, kGrowBy};
  bool ok = list.records != nullptr;
  int32_t line = 1;
  CommandText cmd;
  bool more = true;
  while (ok && more) {
    more = ReadCommand(f, &cmd, &line);
    if (cmd.length == 0) continue;  // two separators in a row, or one at the end
    ObjectCommand c;
    if (!ParseCommand(&cmd, &c)) {
      std::fprintf(stderr, "Parse Error on line %d of file %s\n", static_cast<int>(line), fileName);
      ok = false;
    } else if (c.type != OBJECT_SCALE) {  // checked, then discarded
      ok = Append(&list, c);
    }
  }
  if (ok && std::ferror(f)) ok = false;  // a read error is not the end of the file
  std::fclose(f);

  const ObjectCommand end = {OBJECT_END, 0.0f, 0.0f, 0.0f, 0.0f};
  if (ok && list.count > 0 && Append(&list, end)) {
    // Shrink to the records and the end marker; a failed shrink keeps the block.
    if (list.count < list.capacity) {
      void *exact = std::realloc(list.records, sizeof(ObjectCommand) * list.count);
      if (exact != nullptr) list.records = static_cast<ObjectCommand *>(exact);
    }
    return list.records;
  }
  std::free(list.records);
  return nullptr;
}
