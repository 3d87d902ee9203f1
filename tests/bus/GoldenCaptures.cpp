#include "tests/bus/GoldenCaptures.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace golden {
namespace {

namespace fs = std::filesystem;

const std::string kBadChecksums = "bad checksums: ";

std::vector<std::uint8_t> ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// "E5 14 03 08 ...  Get request", or the hex alone.
Message ParseMessage(const std::string& line)
{
    Message message;
    const std::size_t words = line.find("  ");
    message.hex = line.substr(0, words);
    if (words != std::string::npos)
        message.meaning = line.substr(words + 2);
    std::istringstream hex(message.hex);
    for (std::string byte; hex >> byte;)
        message.bytes.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
    return message;
}

void ReadMeaning(const fs::path& path, Capture& capture)
{
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line.starts_with(kBadChecksums))
            capture.badChecksums = std::stoull(line.substr(kBadChecksums.size()));
        else
            capture.messages.push_back(ParseMessage(line));
    }
}

} // namespace

std::vector<Capture> LoadCaptures()
{
    std::vector<Capture> captures;
    for (const fs::directory_entry& entry : fs::directory_iterator(BRENVIK_GOLDEN_DIR)) {
        if (entry.path().extension() != ".bin")
            continue;
        Capture capture;
        capture.name = entry.path().stem().string();
        capture.stream = ReadBytes(entry.path());
        ReadMeaning(fs::path(entry.path()).replace_extension(".txt"), capture);
        captures.push_back(std::move(capture));
    }
    std::sort(captures.begin(), captures.end(), [](const Capture& a, const Capture& b) { return a.name < b.name; });
    return captures;
}

} // namespace golden
