// harness.h: everything the Win32 tests use from the harness, in one include.
// Run the tests inside scripts/wineenv.sh (prefix, display, COM port mapping).
#ifndef GYX_HARNESS_H
#define GYX_HARNESS_H

#include "gyxconfig.h"
#include "gyxfile.h"
#include "gyxfixture.h"
#include "gyxlinux.h"
#include "gyxmsgbox.h"
#include "gyxpath.h"
#include "gyxproc.h"
#include "gyxres.h"
#include "gyxui.h"
#include "gyxwait.h"

#endif
