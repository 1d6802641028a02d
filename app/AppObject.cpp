// The one application object of tbook.exe.
#include "TBookApp.h"

CTBookApp theApp;
