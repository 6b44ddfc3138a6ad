// libFuzzer's entry points for one target; ORVISTA_FUZZ_TARGET names it.
#include <cstdio>
#include <cstdlib>

#include <wx/init.h>
#include <wx/log.h>

#include "fuzzSupport.h"

namespace {
const fuzzTarget* target = nullptr;

// Messages of the readers (a file that does not parse, say) are expected.
class quietLog : public wxLog {
protected:
    void DoLogRecord(wxLogLevel, const wxString&, const wxLogRecordInfo&) override {}
};

// Faults found here that are not fixed yet, each replayed by a disabled test
// in tests/fuzz/ (named known-crash-*). The fuzzers go on past them so they
// can find others; remove an entry with its fix.
const char* const knownAsserts[] = {
    // A name holding bytes that decode beyond U+10FFFF (F4 90 and up, lead
    // bytes F5 to FD) asserts when it is used as a file name
    // (tests/fuzz/loggerIni/known-crash-storage-root-beyond-unicode.ini).
    "trying to encode undefined Unicode character",
};

// A wx assert is a misuse of wx found by an input: a crash to keep.
void abortOnAssert(const wxString& file, int line, const wxString& function, const wxString& condition,
                   const wxString& message)
{
    for (const char* known : knownAsserts)
        if (message == known)
            return;
    std::fprintf(stderr, "wx assert at %s:%d in %s: %s %s\n", static_cast<const char*>(file.utf8_str()), line,
                 static_cast<const char*>(function.utf8_str()), static_cast<const char*>(condition.utf8_str()),
                 static_cast<const char*>(message.utf8_str()));
    std::abort();
}
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    target = findFuzzTarget(ORVISTA_FUZZ_TARGET);
    static wxInitializer* wx = new wxInitializer; // for the whole process
    if (!target || !wx->IsOk()) {
        std::fprintf(stderr, "cannot start the fuzz target %s\n", ORVISTA_FUZZ_TARGET);
        std::exit(1);
    }
    delete wxLog::SetActiveTarget(new quietLog);
    wxSetAssertHandler(abortOnAssert);
    prepareFuzzEnvironment();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    target->run(data, size);
    return 0;
}
