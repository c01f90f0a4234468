#pragma once

#include "common/UString.h"

// The record of a failure: what went wrong, where, and in which words. It is never
// thrown: the code that meets a failure fills one, prints it to the log and, as the
// exception part of an abort message, sends it to the peer.
class UException {
public:
    UException();
    // Gives the record its kind (name and title); a derived kind overrides it and calls
    // it again at the end of its own constructor.
    virtual void setDefaults();
    virtual ~UException();
    // Five log entries, each at level type: the title, then the four labelled fields, each
    // as ULog::untrusted shows it.
    virtual void print(int type, int stream);

    void setError(const UString& text);
    void setDescription(const UString& text);
    void setSource(const UString& text);

    UString title;
    UString name;
    UString error;
    UString description;
    // The full signature of the function that raised the failure.
    UString source;
};
