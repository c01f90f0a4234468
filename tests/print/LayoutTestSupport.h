#pragma once

#include "print/PrintArgs.h"
#include "print/Printfile.h"
#include "printer/fake/RecordingDevice.h"

#include "PrintTestSupport.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A job laid out on a recording device: the test writes the document and sets the global
// options, then lays the job out exactly as printfile() does after the printer is open.
// The device is the project's virtual A4 printer in portrait unless the test changes caps
// before layOut().
class LayoutTest : public PrintWorkDir {
protected:
    void SetUp() override
    {
        PrintWorkDir::SetUp();
        args.setDefaults();
        setText(args.printername, "Virtual A4");
        setText(args.filename, "doc.txt");
    }

    void TearDown() override
    {
        job.reset();
        device.reset();
        args.setDefaults();
        PrintWorkDir::TearDown();
    }

    template <size_t N>
    static void setText(char (&field)[N], const std::string& value)
    {
        ASSERT_LT(value.size(), N);
        std::snprintf(field, N, "%s", value.c_str());
    }

    // Lays out text as the document; the result of layout().
    int layOut(const std::string& text)
    {
        writeFile("doc.txt", text);
        device.reset(makeDevice ? makeDevice(caps) : new RecordingDevice(caps));
        if (charWidth)
            device->setCharWidth(charWidth);
        job.reset(new Printfile());
        if (job->openFile() != 0)
            return -1;
        job->attachDevice(device.get());
        return job->layout();
    }

    // Lays out and draws every selected page; the result of draxome() (or -1 when the
    // layout failed).
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
        if (job->pageCount() > 0)
            out.push_back(job->pagination().endLine(job->pageCount() - 1));
        return out;
    }

    // Lines of text, each ended by CR LF.
    static std::string crlf(const std::vector<std::string>& lines)
    {
        std::string out;
        for (const std::string& l : lines)
            out += l + "\r\n";
        return out;
    }

    // Lines of text, each ended by a bare LF (after a form feed a CR LF would also end an
    // empty line).
    static std::string lf(const std::vector<std::string>& lines)
    {
        std::string out;
        for (const std::string& l : lines)
            out += l + "\n";
        return out;
    }

    // The calls recorded for the given operations, as text.
    std::vector<std::string> calls(std::initializer_list<RecordingDevice::Op> ops) const { return device->log(ops); }

    // Every recorded call of one kind.
    std::vector<RecordingDevice::Call> callsOf(RecordingDevice::Op op) const
    {
        std::vector<RecordingDevice::Call> out;
        for (const RecordingDevice::Call& c : device->calls())
            if (c.op == op)
                out.push_back(c);
        return out;
    }

    RecordingDevice::Caps caps;
    RecordingDevice::CharWidth charWidth;
    // Makes the device instead of a plain recording device, when set.
    std::function<RecordingDevice*(const RecordingDevice::Caps&)> makeDevice;
    std::unique_ptr<RecordingDevice> device;
    std::unique_ptr<Printfile> job;
};
