// The acknowledgement engine on any received file: a 997 (plain, or
// answering every set from the element check), a 999 or a TA1, written with
// one of several separator pairs (first byte), for the text after it.
// Properties: the acknowledgement is written whole or not at all; what is
// written passes the element check (the engine's own check before writing
// finds nothing but the received codes it echoes, the check reads back
// exactly the text written); it holds
// one acknowledgement interchange for each interchange received.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "edi/EnvelopeReader.h"
#include "edi/clsFA.h"
#include "fuzz/FuzzChecks.h"
#include "fuzz/FuzzSupport.h"

using namespace orr;

namespace {

std::string ReadAll(const std::string& sFile)
{
    std::ifstream in(sFile, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Element separator and terminator of the acknowledgement; ':' clashes with
// the component separator and must be refused.
constexpr std::pair<SepCode, SepCode> kSeparators[] = {
    {'*', '~'}, {'|', '\n'}, {'+', '\''}, {'*', 0}, {'^', '~'}, {':', '~'}, {'*', '\r'}, {0x1D, 0x1C},
};

std::tm FixedClock()
{
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 5;
    t.tm_mday = 11;
    t.tm_hour = 9;
    t.tm_min = 30;
    return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 100000)
        return 0;
    fuzz::Bytes bytes(data, size);
    const std::uint8_t nChoice = bytes.Take();
    const std::string_view sText = bytes.Rest();
    fuzz::FuzzEnv& env = fuzz::Env();
    const std::string sInput = env.Path("received.edi"), sOutput = env.Path("ack.edi");
    fuzz::WriteFile(sInput, sText);
    std::error_code ec;
    std::filesystem::remove(sOutput, ec);

    clsFA fa(FixedClock);
    const auto [nElement, nTerminator] = kSeparators[(nChoice >> 2) % std::size(kSeparators)];
    fa.SetDelimiter(nElement);
    fa.SetSelimiter(nTerminator);
    const auto check = [](const std::string& sFile) { return fuzz::CheckFileKept(sFile); };
    switch (nChoice & 3) {
    case 1: fa.SetChecker(check); break;  // a 997 that answers every set
    case 2:
        fa.SetKind(AckKind::ImplementationAck999);
        fa.SetChecker(check);
        break;
    case 3: fa.SetKind(AckKind::InterchangeAckTA1); break;
    default: break;
    }
    std::string sChecked;
    bool bChecked = false;
    fa.SetSelfCheck([&](const std::string& sFile) {
        sChecked = ReadAll(sFile);
        bChecked = true;
        std::optional<EdiFindings> findings = fuzz::CheckFileKept(sFile);
        if (findings)
            std::erase_if(*findings, clsFA::EchoesReceivedCode);
        if (!findings || !findings->empty()) {
            std::fprintf(stderr, "the acknowledgement's own check refused it:%s\n--- text\n%s\n",
                         findings && !findings->empty() ? (" " + findings->front().sMessage).c_str() : "",
                         sChecked.c_str());
            __builtin_trap();  // the engine made an acknowledgement that its own check refuses
        }
        return findings;
    });
    const bool bWritten = fa.CreateFA(sInput, sOutput);
    if (bWritten != std::filesystem::exists(sOutput) || std::filesystem::exists(sOutput + ".part"))
        __builtin_trap();  // not whole or not at all
    if (!bWritten)
        return 0;
    if (!bChecked || ReadAll(sOutput) != sChecked)
        __builtin_trap();  // written other than checked
    const std::optional<ReceivedFile> received = EnvelopeReader::ReadFile(sInput);
    const std::optional<ReceivedFile> ack = EnvelopeReader::ReadFile(sOutput);
    if (!received || !ack || ack->interchanges.size() != received->interchanges.size())
        __builtin_trap();  // one acknowledgement interchange per interchange received
    return 0;
}
