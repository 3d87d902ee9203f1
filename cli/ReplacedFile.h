#pragma once

#include <string>

// A file written whole or not at all: the text goes to a temporary file
// beside it, which takes the file's name only when the work is done, so a
// run that fails half-way never empties or truncates the file already there.
namespace cli {

class CReplacedFile {
public:
    explicit CReplacedFile(std::string path) : m_path(std::move(path)) {}
    ~CReplacedFile(); // removes a temporary file not yet renamed
    CReplacedFile(const CReplacedFile&) = delete;
    CReplacedFile& operator=(const CReplacedFile&) = delete;

    // Makes the temporary file, so an unwritable place shows before the
    // work starts. The system's reason on failure, empty on success.
    std::string Prepare();
    // Writes `text` into the temporary file and renames it to `target`
    // (the file's own path, or another beside it). The reason on failure.
    std::string Commit(const std::string& text, const std::string& target);
    std::string Commit(const std::string& text) { return Commit(text, m_path); }

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    std::string m_temporary;
    int m_fd = -1;
};

} // namespace cli
