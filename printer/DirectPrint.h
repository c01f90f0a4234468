#pragma once

// Raw printing: a document handed to the spooler exactly as it is, for the printer (or
// its driver) to interpret. No page boundaries are sent; page breaks are whatever the
// data holds.

// Sends data, up to its first NUL byte, to the printer as one raw document named docname.
// True when the document was written, false (after its log line) when the printer could
// not be opened, the document not started or nothing written.
bool draxomeDirect(const char* printername, const char* docname, const char* data);
