// gyxfile.h: whole-file reads and writes for the tests (configuration files,
// application files, logs, simulator files). Paths may be Linux paths ("/tmp/x")
// or Windows paths ("C:\windows\x"); contents are bytes, written as given.
#ifndef GYX_HARNESS_FILE_H
#define GYX_HARNESS_FILE_H

#include <string>

// Creates or replaces the file with text. True on success.
bool GyxWriteFile(const std::string &path, const std::string &text);
// Appends text, creating the file when missing.
bool GyxAppendFile(const std::string &path, const std::string &text);
// Reads the whole file into *text. False (and *text emptied) when it cannot.
bool GyxReadFile(const std::string &path, std::string *text);
// Deletes the file; true when it is gone afterwards (a missing file counts).
bool GyxDeleteFile(const std::string &path);
bool GyxFileExists(const std::string &path);
// Copies a file (e.g. a built program into a test's home directory), replacing
// the target.
bool GyxCopyFile(const std::string &from, const std::string &to);
// Creates a directory and its missing parents; true when it exists afterwards.
bool GyxMakeDirs(const std::string &path);

#endif
