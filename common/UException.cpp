#include "common/UException.h"

#include "common/ULog.h"

UException::UException()
{
    // Qualified: while this constructor runs only the base kind exists.
    UException::setDefaults();
    error = "";
    description = "";
    source = "";
}

UException::~UException() = default;

void UException::setDefaults()
{
    name = "UException";
    title = "Exception information:";
}

void UException::setError(const UString& text) { error = text; }
void UException::setDescription(const UString& text) { description = text; }
void UException::setSource(const UString& text) { source = text; }

namespace {

// A record may have come from the peer: its fields are logged as untrusted text.
void writeLabelled(const char* label, const UString& field, int type, int stream)
{
    UString line(label);
    line += ULog::untrusted(field.str());
    ULog::write(line, type, stream);
}

} // namespace

void UException::print(int type, int stream)
{
    writeLabelled("", title, type, stream);
    writeLabelled("\tException Name: ", name, type, stream);
    writeLabelled("\tError Message: ", error, type, stream);
    writeLabelled("\tDescription: ", description, type, stream);
    writeLabelled("\tSource: ", source, type, stream);
}
