#include "client/ClientCmdLine.h"

bool ClientCmdLine::quote(const std::string& arg, std::string& out)
{
    if (arg.empty()) {
        // An opening quote with its partner: both are dropped, nothing is left.
        out = "\"\"";
        return true;
    }
    // The argument's quotes cut it into segments 0, 1, 2, ...; where blanks may stand
    // depends on which segments end up inside quoted stretches.
    int quotes = 0;
    bool blankInEven = false;
    bool blankInOdd = false;
    for (char c : arg) {
        if (c == '"')
            ++quotes;
        else if (c == ' ')
            (quotes % 2 == 0 ? blankInEven : blankInOdd) = true;
    }
    if (quotes % 2 != 0)
        return false;
    // As it stands, the odd segments are the quoted ones. A leading quote would be
    // stripped, so that spelling needs the argument not to begin with one.
    if (!blankInEven && arg[0] != '"') {
        out = arg;
        return true;
    }
    // Wrapped in a pair of quotes, which the splitter strips again, the even segments are
    // the quoted ones: the wrapper's opening quote pairs with the argument's first quote.
    if (!blankInOdd) {
        out = "\"" + arg + "\"";
        return true;
    }
    return false;
}

bool ClientCmdLine::join(const std::vector<std::string>& args, std::string& text, size_t& bad)
{
    text.clear();
    std::string one;
    for (size_t i = 0; i < args.size(); ++i) {
        if (!quote(args[i], one)) {
            bad = i;
            return false;
        }
        if (i > 0)
            text += ' ';
        text += one;
    }
    return true;
}
