// The program's version: the one place the version resource, the About box, the installer and
// the portable zip take it from.
#pragma once

#define TBOOK_VERSION_MAJOR 1
#define TBOOK_VERSION_MINOR 0
#define TBOOK_VERSION "1.0"
