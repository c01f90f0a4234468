#include "net/USockMAbort.h"

#include "common/ULog.h"
#include "net/USock.h"
#include "net/USockMString.h"

USockMAbort::USockMAbort() { USockMAbort::setDefaults(); }

void USockMAbort::setDefaults()
{
    type = kAbort;
    title = "Communication error information:";
    name = "USockMAbort";
}

bool USockMAbort::write(USock& socket)
{
    unsigned char word[4];
    putInt(word, type);
    if (socket.send(reinterpret_cast<char*>(word), 4, fieldLimit(), interval, chunk) != 4) {
        ULog::write("USockMAbort::write(): iRes==sizeof(Type): could not send type", ULog::Error);
        return false;
    }
    USockMString s;
    s.copySettings(*this);
    const UString* fields[] = {&title, &name, &error, &description, &source};
    for (const UString* field : fields) {
        s.setText(*field);
        if (!s.write(socket)) {
            ULog::write("USockMAbort::write(): could not send title", ULog::Error);
            return false;
        }
    }
    return true;
}

bool USockMAbort::read(USock& socket)
{
    struct Field {
        UString* value;
        const char* notString;
        const char* notRead;
    };
    const Field fields[] = {
        {&title, "USockMAbort::read(): title: received message is not a string", "USockMAbort::read(): title: could not read"},
        {&name, "USockMAbort::read(): name: received message is not a string", "USockMAbort::read(): name: could not read"},
        {&error, "USockMAbort::read(): error: received message is not a string", "USockMAbort::read(): error: could not read"},
        {&description, "USockMAbort::read(): description: received message is not a string",
         "USockMAbort::read(): description: could not read"},
        {&source, "USockMAbort::read(): source: received message is not a string",
         "USockMAbort::read(): source: could not read"},
    };
    USockMString s;
    s.copySettings(*this);
    for (const Field& f : fields) {
        if (readType(socket) != kString) {
            ULog::write(f.notString, ULog::Error);
            return false;
        }
        if (!s.read(socket)) {
            ULog::write(f.notRead, ULog::Error);
            return false;
        }
        *f.value = s.text;
    }
    return true;
}
