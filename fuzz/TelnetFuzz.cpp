// Any byte sequence from a server is safe for the Telnet/COM port codec. The
// input is read as:
//   byte 0: where the stream is cut in two (as a fraction of its length)
//   then the bytes the server sends.
// Checked: the data never outgrows the input; cutting the stream anywhere
// gives the same data, answers and line state; the answers are only option
// replies, never more than the requests that caused them; data encoded for
// the server decodes back to itself. Broken invariants abort.
#include "serial/TelnetCodec.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

struct Outcome {
    Bytes data;
    Bytes answers;
    CTelnetCodec::LineErrorCounts errors;
    std::uint8_t modem = 0;
    bool agreed = false;
    bool operator==(const Outcome&) const = default;
};

Outcome DecodeInPieces(std::span<const std::uint8_t> stream, std::size_t cut, bool greet)
{
    CTelnetCodec codec;
    if (greet)
        codec.Greeting();
    Outcome outcome;
    Bytes data(stream.size());
    std::size_t count = codec.Decode(stream.first(cut), data.data());
    Require(count <= cut);
    const Bytes first = codec.TakeAnswers();
    count += codec.Decode(stream.subspan(cut), data.data() + count);
    Require(count <= stream.size());
    data.resize(count);
    outcome.data = data;
    outcome.answers = first;
    const Bytes second = codec.TakeAnswers();
    outcome.answers.insert(outcome.answers.end(), second.begin(), second.end());
    outcome.errors = codec.LineErrors();
    outcome.modem = codec.ModemState();
    outcome.agreed = codec.ComPortAgreed();
    return outcome;
}

// Every answer is IAC, a verb, an option; the stream held at least as many
// negotiation commands as there are answers.
void CheckAnswers(const Bytes& answers, std::span<const std::uint8_t> stream)
{
    Require(answers.size() % 3 == 0);
    for (std::size_t i = 0; i < answers.size(); i += 3) {
        Require(answers[i] == CTelnetCodec::kIac);
        Require(answers[i + 1] >= CTelnetCodec::kWill && answers[i + 1] <= CTelnetCodec::kDont);
    }
    std::size_t requests = 0;
    for (std::size_t i = 0; i + 1 < stream.size(); ++i)
        requests += stream[i] == CTelnetCodec::kIac && stream[i + 1] >= CTelnetCodec::kWill;
    Require(answers.size() / 3 <= requests);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::span<const std::uint8_t> stream(data + 1, size - 1);
    const std::size_t cut = stream.size() * data[0] / 255;

    for (const bool greet : {false, true}) {
        const Outcome whole = DecodeInPieces(stream, stream.size(), greet);
        Require(DecodeInPieces(stream, cut, greet) == whole);
        CheckAnswers(whole.answers, stream);
    }

    // The program's data, escaped for the server, reads back unchanged.
    Bytes wire;
    CTelnetCodec::EncodeData(stream, wire);
    Require(CTelnetCodec::DataBytesIn(stream, wire.size()) == stream.size());
    CTelnetCodec codec;
    Bytes back(wire.size());
    back.resize(codec.Decode(wire, back.data()));
    Require(back == Bytes(stream.begin(), stream.end()));
    Require(codec.TakeAnswers().empty());
    return 0;
}
