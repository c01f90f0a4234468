#pragma once

#include <cstdio>

// The inventory file "fontlist.txt": the fixed-pitch TrueType faces of the machine, one
// per line, LF only, in the order the system enumerates them.

// Creates the file and fills it; false when it cannot be created or a line could not be
// written.
bool fontlist();
// The enumeration callback: appends face to the file when it is a fixed-pitch TrueType
// face. 1 to go on, 0 to stop (the file cannot be written).
int fontlist_proc(const char* face, int pitchAndFamily, unsigned fontType, void* user);
// Whether a face with that pitch-and-family byte and font type belongs in the list.
bool listedfont(int pitchAndFamily, unsigned fontType);
