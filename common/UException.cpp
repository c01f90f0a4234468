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

void writeLabelled(const char* label, const UString& field, int type, int stream)
{
    UString line(label);
    line += field;
    ULog::write(line, type, stream);
}

} // namespace

void UException::print(int type, int stream)
{
    ULog::write(title, type, stream);
    writeLabelled("\tException Name: ", name, type, stream);
    writeLabelled("\tError Message: ", error, type, stream);
    writeLabelled("\tDescription: ", description, type, stream);
    writeLabelled("\tSource: ", source, type, stream);
}
