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
    // As it stands, the odd segments are the quoted ones; the argument's quotes must pair
    // up, or the last stretch would swallow the rest of the line, and a leading quote
    // would be stripped.
    if (!blankInEven && quotes % 2 == 0 && arg[0] != '"') {
        out = arg;
        return true;
    }
    // Behind an opening quote, which the splitter strips together with the argument's
    // last character, the even segments are the quoted ones: the opening quote pairs with
    // the argument's first quote. The character after the argument closes the last
    // stretch when the argument's quotes are even in number; when they are odd, every
    // stretch is closed already and any other non-blank character does.
    if (!blankInOdd) {
        out = "\"" + arg + (quotes % 2 == 0 ? "\"" : "x");
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
