// writeout FILE: the program that the copy and run tests hand a job's file to, as a
// client's -run program would be. After a short pause, so that a caller that does not
// wait for it finds nothing yet, it writes FILE.out: the line "writeout: FILE" and then
// the bytes of FILE. A FILE that begins with "no output" makes it end without writing.
//
// The parameter text arrives unquoted, so a path with blanks comes as several arguments;
// they are joined again with single blanks.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

int main(int argc, char** argv)
{
    std::string path;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            path += ' ';
        path += argv[i];
    }
    if (path.empty())
        return 2;
    std::this_thread::sleep_for(std::chrono::milliseconds(700));

    std::string content;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr)
        return 3;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        content.append(buffer, n);
    std::fclose(in);
    if (content.compare(0, 9, "no output") == 0)
        return 0;

    std::FILE* out = std::fopen((path + ".out").c_str(), "wb");
    if (out == nullptr)
        return 4;
    const std::string head = "writeout: " + path + "\n";
    std::fwrite(head.data(), 1, head.size(), out);
    std::fwrite(content.data(), 1, content.size(), out);
    return std::fclose(out) == 0 ? 0 : 5;
}
