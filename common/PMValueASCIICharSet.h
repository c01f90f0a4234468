#pragma once

#include "common/PMValueHashCharSet.h"

// Accepts every ASCII byte (0 to 127) and nothing else: the label of "?" and "*", and the
// test of which pattern characters a machine can hold.
class PMValueASCIICharSet : public PMValueHashCharSet {
public:
    PMValueASCIICharSet();

    int getValueType() const override;
    void toString(UString& out) const override;
    bool match(unsigned char c) const override;
};
