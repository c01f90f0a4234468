#pragma once

#include "common/ULog.h"
#include "common/UString.h"
#include "print/PrintArgs.h"
#include "print/Printfile.h"
#include "printer/fake/RecordingDevice.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

// Each test runs in a fresh directory of its own (the version file and command files are
// named relative to it) with the print program's log style, logging to log.txt there, and
// with the global options at their defaults.
class PrintWorkDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        mDir = std::make_unique<testsupport::TempDir>(true);
        args.setDefaults();
        ULog::reset();
        ULog::setStyle(ULog::PrintStyle);
        ASSERT_TRUE(ULog::setStream(UString("log.txt"), 0));
    }

    void TearDown() override
    {
        ULog::reset();
        ULog::setStyle(ULog::ServerStyle);
        args.setDefaults();
        mDir.reset();
    }

    static std::string readFile(const std::string& name) { return testsupport::readFile(name); }
    static void writeFile(const std::string& name, const std::string& text) { testsupport::writeFile(name, text); }
    static void set(char* field, const std::string& v) { std::snprintf(field, PrintArgs::kTextSize, "%s", v.c_str()); }

    // Lines without what follows "': error" (the system's number and text of a failure,
    // which differ between systems).
    static Lines withoutSystemText(Lines lines)
    {
        for (std::string& line : lines)
            if (line.find("': error ") != std::string::npos)
                line.erase(line.find("': error ") + 8);
        return lines;
    }

    // A log's lines as "Level: message", without the date and time of the prefix.
    static Lines logged(const std::string& name = "log.txt")
    {
        const std::string text = readFile(name);
        Lines lines;
        for (size_t start = 0, end; start < text.size(); start = end + 2) {
            end = std::min(text.find("\r\n", start), text.size());
            const std::string line = text.substr(start, end - start);
            const size_t open = line.find('['), close = line.find("]: ");
            lines.push_back(open < close && close != std::string::npos
                    ? line.substr(0, open) + ": " + line.substr(close + 3)
                    : "unprefixed: " + line);
        }
        return lines;
    }

private:
    std::unique_ptr<testsupport::TempDir> mDir;
};

// A job laid out (and drawn) on a recording device, the project's virtual A4 printer in
// portrait unless the test changes caps first, with the document given as text.
class LayoutTest : public PrintWorkDir {
protected:
    void SetUp() override
    {
        PrintWorkDir::SetUp();
        set(args.printername, "Virtual A4");
        set(args.filename, "doc.txt");
    }

    // Lays out text as the document, as printfile() does once the printer is open.
    int layOut(const std::string& text)
    {
        writeFile("doc.txt", text);
        device = std::make_unique<RecordingDevice>(caps);
        if (charWidth)
            device->setCharWidth(charWidth);
        job = std::make_unique<Printfile>();
        if (job->openFile() != 0)
            return -1;
        job->attachDevice(device.get());
        return job->layout();
    }

    // Lays out and draws every selected page (the device records only the drawing).
    int print(const std::string& text)
    {
        if (layOut(text) != 0)
            return -1;
        device->clearCalls();
        return job->draxome(-1);
    }

    std::vector<int> pageStarts() const
    {
        std::vector<int> out;
        for (int k = 0; k < job->pageCount(); ++k)
            out.push_back(job->pagination().firstLine(k));
        out.push_back(job->document().totalLines());
        return out;
    }

    std::vector<RecordingDevice::Call> callsOf(RecordingDevice::Op op) const
    {
        std::vector<RecordingDevice::Call> out;
        for (const RecordingDevice::Call& c : device->calls())
            if (c.op == op)
                out.push_back(c);
        return out;
    }

    static std::string crlf(const Lines& lines)
    {
        std::string out;
        for (const std::string& l : lines)
            out += l + "\r\n";
        return out;
    }
    const PageGeometry& page() const { return job->page(); }

    RecordingDevice::Caps caps;
    RecordingDevice::CharWidth charWidth;
    std::unique_ptr<RecordingDevice> device;
    std::unique_ptr<Printfile> job;
};
