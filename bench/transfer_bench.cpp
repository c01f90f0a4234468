// Transfer benchmark: a file sent with USockMFile::write and received with USockMFile::read
// over loopback, against the same bytes through plain blocking send and recv, in one run.
// The message path should reach at least half of the plain throughput.
//
//   transfer_bench [megabytes (default 100)] [rounds (default 5)]
//
// Each round runs the paths one after another; the figures are medians over the rounds, as
// the machine the figures come from is shared. Two more plain paths are printed for
// context: plain calls no larger than the messages' 50000 bytes, and those with the same
// file reading and writing as the messages do. They show how much of the gap is the call
// size and the files rather than the protocol.
// It uses only 127.0.0.1 and a port the system picks, and writes two scratch files in the
// current directory, removed at the end.
#include "bench/PlainSocket.h"
#include "common/ULog.h"
#include "net/USockMFileName.h"
#include "net/USockTcp.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const kSource = "transfer_bench_source.bin";
const char* const kTarget = "transfer_bench_target.bin";

struct Pair {
    USockTcp listener;
    USockTcp client;
    USockTcp server;
    bool ok = false;

    Pair()
    {
        ok = listener.open("127.0.0.1", 0) && listener.bind() && listener.listen(1) &&
             listener.attach(listener.sock) && client.open("127.0.0.1", listener.port) && client.connect() &&
             listener.accept(server);
    }
    ~Pair()
    {
        for (USockTcp* s : {&client, &server, &listener})
            if (s->sock != USock::kInvalidHandle)
                s->close();
    }
};

double secondsSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Seconds for one file through the messages, or a negative value when it failed.
double messagePath()
{
    std::remove(kTarget);
    Pair p;
    if (!p.ok)
        return -1;
    bool sent = false;
    bool received = false;
    const auto t0 = std::chrono::steady_clock::now();
    std::thread writer([&] {
        USockMFileName out(kSource, "announced.bin");
        sent = out.write(p.client);
    });
    USockMessage any;
    if (any.readType(p.server) == USockMessage::kFileName) {
        USockMFileName in("", kTarget);
        received = in.read(p.server);
    }
    writer.join();
    const double s = secondsSince(t0);
    return sent && received ? s : -1;
}

// Seconds for the same bytes through plain blocking send and recv, or negative on failure.
// With piece 0 each call is as large as the platform takes (all that is left to send, 64 KiB
// to receive); otherwise every call moves at most piece bytes, as the messages' calls do.
double plainPath(const std::string& data, int piece)
{
    Pair p;
    if (!p.ok)
        return -1;
    bool sent = false;
    long long received = 0;
    std::vector<char> buf(piece > 0 ? static_cast<size_t>(piece) : 64 * 1024);
    const auto t0 = std::chrono::steady_clock::now();
    std::thread writer([&] {
        const long long total = static_cast<long long>(data.size());
        const long long step = piece > 0 ? piece : total;
        sent = true;
        for (long long at = 0; sent && at < total; at += step)
            sent = PlainSocket::sendAll(p.client.sock, data.data() + at, std::min(step, total - at));
    });
    while (received < static_cast<long long>(data.size())) {
        const int r = PlainSocket::recvSome(p.server.sock, buf.data(), static_cast<int>(buf.size()));
        if (r <= 0)
            break;
        received += r;
    }
    writer.join();
    const double s = secondsSince(t0);
    return sent && received == static_cast<long long>(data.size()) ? s : -1;
}

// The plain path again, but from the source file into the target file in pieces of the
// messages' size: what the file work alone adds to plain sockets.
double plainFilePath(size_t size)
{
    std::remove(kTarget);
    Pair p;
    if (!p.ok)
        return -1;
    bool sent = false;
    long long received = 0;
    const int piece = USockMessage::kDefaultChunk;
    const auto t0 = std::chrono::steady_clock::now();
    std::thread writer([&] {
        std::vector<char> buf(piece);
        std::FILE* in = std::fopen(kSource, "rb");
        if (in == nullptr)
            return;
        size_t n;
        sent = true;
        while (sent && (n = std::fread(buf.data(), 1, buf.size(), in)) > 0)
            sent = PlainSocket::sendAll(p.client.sock, buf.data(), static_cast<long long>(n));
        std::fclose(in);
    });
    std::vector<char> buf(piece);
    std::FILE* out = std::fopen(kTarget, "wb");
    while (out != nullptr && received < static_cast<long long>(size)) {
        const int r = PlainSocket::recvSome(p.server.sock, buf.data(), piece);
        if (r <= 0 || std::fwrite(buf.data(), 1, static_cast<size_t>(r), out) != static_cast<size_t>(r))
            break;
        received += r;
    }
    if (out != nullptr)
        std::fclose(out);
    writer.join();
    const double s = secondsSince(t0);
    return sent && received == static_cast<long long>(size) ? s : -1;
}

std::string readFile(const char* name)
{
    std::string s;
    std::FILE* f = std::fopen(name, "rb");
    if (f == nullptr)
        return s;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        s.append(buf, n);
    std::fclose(f);
    return s;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const long long megabytes = argc > 1 ? std::atoll(argv[1]) : 100;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    if (megabytes < 1 || megabytes > 2000 || rounds < 1) {
        std::fprintf(stderr, "usage: transfer_bench [megabytes 1..2000] [rounds]\n");
        return 2;
    }
    const size_t size = static_cast<size_t>(megabytes) * 1000 * 1000;
    ULog::setStream("transfer_bench_log.txt", 0);
    if (!USock::initWSocket())
        return 1;

    std::string data(size, '\0');
    unsigned x = 12345;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        data[i] = static_cast<char>(x >> 16);
    }
    std::FILE* f = std::fopen(kSource, "wb");
    if (f == nullptr || std::fwrite(data.data(), 1, size, f) != size) {
        std::fprintf(stderr, "transfer_bench: cannot write %s\n", kSource);
        return 1;
    }
    std::fclose(f);

    std::printf("transfer_bench: %zu bytes over 127.0.0.1, %d rounds, medians at the end\n", size, rounds);
    std::vector<double> message, plain, plainPieces, plainFiles;
    int status = 0;
    for (int i = 0; i < rounds && status == 0; ++i) {
        const double m = messagePath();
        const bool intact = m >= 0 && readFile(kTarget) == data;
        const double p = plainPath(data, 0);
        const double pp = plainPath(data, USockMessage::kDefaultChunk);
        const double pf = plainFilePath(size);
        if (m < 0 || p < 0 || pp < 0 || pf < 0) {
            std::fprintf(stderr, "transfer_bench: a transfer failed (see transfer_bench_log.txt)\n");
            status = 1;
        } else if (!intact) {
            std::fprintf(stderr, "transfer_bench: the received file differs from the one sent\n");
            status = 1;
        } else {
            message.push_back(m);
            plain.push_back(p);
            plainPieces.push_back(pp);
            plainFiles.push_back(pf);
            std::printf("round %d: messages %.3f s, plain %.3f s, plain in pieces %.3f s, plain with files %.3f s\n",
                        i + 1, m, p, pp, pf);
        }
    }
    if (status == 0) {
        const double m = size / median(message) / 1e6;
        const double p = size / median(plain) / 1e6;
        const double pp = size / median(plainPieces) / 1e6;
        const double pf = size / median(plainFiles) / 1e6;
        std::printf("message path (USockMFile::write -> USockMFile::read): %.1f MB/s\n", m);
        std::printf("plain blocking send/recv, memory to memory:           %.1f MB/s\n", p);
        std::printf("  context: the same in calls of %d bytes:          %.1f MB/s\n", USockMessage::kDefaultChunk, pp);
        std::printf("  context: the same from file to file in such calls: %.1f MB/s\n", pf);
        std::printf("ratio message/plain: %.2f (target >= 0.50: %s); message/plain with files: %.2f\n", m / p,
                    m / p >= 0.5 ? "met" : "NOT met", m / pf);
    }
    std::remove(kSource);
    std::remove(kTarget);
    USock::cleanupWSocket();
    return status;
}
