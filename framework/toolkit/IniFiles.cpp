#include "IniFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SysUtils.h"

namespace {

namespace fs = std::filesystem;

// The system's reason, without the trailing full stop and blanks that would
// clash with the message's own punctuation.
String Reason(int errorNumber) {
    String reason = Utf8ToString(std::strerror(errorNumber));
    while (!reason.empty() && (reason.back() <= u' ' || reason.back() == u'.')) reason.pop_back();
    return reason;
}

String Quoted(const String& fileName) { return u"\"" + DisplayFileName(ExpandFileName(fileName)) + u"\""; }

[[noreturn]] void CannotRead(const String& fileName, const String& reason) {
    throw EIniFileException(u"Cannot open file " + Quoted(fileName) + u". " + reason);
}

[[noreturn]] void CannotWrite(const String& fileName, const String& reason) {
    throw EIniFileException(u"Cannot write file " + Quoted(fileName) + u". " + reason);
}

// Closes a descriptor on every way out.
struct TFileDescriptor {
    int fd;
    ~TFileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// The bytes of the file; none when it does not exist. Only a regular file
// is read: a FIFO or a device would never end, a folder holds no settings.
std::optional<std::string> ReadFileBytes(const String& fileName) {
    const std::string path = FileNameToBytes(fileName);
    TFileDescriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)};
    if (file.fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        CannotRead(fileName, Reason(errno));
    }
    struct stat st {};
    if (::fstat(file.fd, &st) != 0) CannotRead(fileName, Reason(errno));
    if (S_ISDIR(st.st_mode)) CannotRead(fileName, Reason(EISDIR));
    if (!S_ISREG(st.st_mode)) CannotRead(fileName, u"Not a regular file");
    if (st.st_size > TIniFile::MaxFileSize) CannotRead(fileName, Reason(EFBIG));
    std::string data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) CannotRead(fileName, Reason(errno));
        if (n == 0) break;
        data.append(buffer, static_cast<size_t>(n));
        // The file may have grown since it was measured.
        if (static_cast<long long>(data.size()) > TIniFile::MaxFileSize) CannotRead(fileName, Reason(EFBIG));
    }
    return data;
}

// Writes every byte; 0, or the error number of the failure.
int WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        done += static_cast<size_t>(n);
    }
    return 0;
}

// Fills the private file and puts it in the target's place, with the
// target's permissions when there is one; 0, or the error number.
int FillAndReplace(int fd, const std::string& temporary, const fs::path& target, const std::string& data) {
    if (const int error = WriteAll(fd, data)) return error;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && ::fchmod(fd, st.st_mode & 07777) != 0) return errno;
    if (::fsync(fd) != 0) return errno;
    if (::rename(temporary.c_str(), target.c_str()) != 0) return errno;
    return 0;
}

// Replaces the file's content in one step: the new bytes go into a private
// file beside it, which then takes the file's place. A symbolic link keeps
// pointing at the file it names.
void ReplaceFile(const String& fileName, const std::string& data) {
    fs::path target(FileNameToBytes(fileName));
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) target = resolved;
    }
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    fs::create_directories(folder, ec);
    if (ec) CannotWrite(fileName, Reason(ec.value()));
    // A hidden name beside the file, unique through mkstemp.
    std::string name = target.filename().string();
    name.insert(0, 1, '.');
    name.append(".XXXXXX");
    std::string temporary = (folder / name).string();
    TFileDescriptor file{::mkstemp(temporary.data())};
    if (file.fd < 0) CannotWrite(fileName, Reason(errno));
    if (const int error = FillAndReplace(file.fd, temporary, target, data)) {
        ::unlink(temporary.c_str());
        CannotWrite(fileName, Reason(error));
    }
}

constexpr std::string_view kBlanks = " \t\r";

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

bool SameAsciiText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// One line of the file: its text from start to end, and where the next
// line starts (after its line break, if it has one).
struct TLine {
    size_t start;
    size_t end;
    size_t next;
};

// Where a value is, or where it would go, in a file's bytes.
struct TPlace {
    bool sectionFound = false;
    // After the section's last line that is not blank: where a new name goes.
    const TLine* sectionLast = nullptr;
    bool identFound = false;
    size_t valueStart = 0;  // the value's text, its blanks left out
    size_t valueEnd = 0;
};

class TIniText {
public:
    explicit TIniText(std::string data) : data_(std::move(data)) { Split(); }

    const std::string& Data() const { return data_; }

    TPlace Find(std::string_view section, std::string_view ident) const {
        TPlace place;
        bool inSection = false;
        for (const TLine& line : lines_) {
            const std::string_view whole(data_.data() + line.start, line.end - line.start);
            const std::string_view text = Trim(whole);
            if (!text.empty() && text.front() == '[') {
                if (place.sectionFound) break;  // the first section of that name counts
                const auto close = text.find(']');
                inSection = close != std::string_view::npos && SameAsciiText(Trim(text.substr(1, close - 1)), section);
                if (inSection) {
                    place.sectionFound = true;
                    place.sectionLast = &line;
                }
                continue;
            }
            if (!inSection) continue;
            if (!text.empty()) place.sectionLast = &line;
            if (text.empty() || text.front() == ';' || text.front() == '#') continue;
            const auto eq = whole.find('=');
            if (eq == std::string_view::npos || !SameAsciiText(Trim(whole.substr(0, eq)), ident)) continue;
            const std::string_view afterEq = whole.substr(eq + 1);
            const std::string_view value = Trim(afterEq);
            const size_t lead = afterEq.find_first_not_of(kBlanks);
            place.identFound = true;
            place.valueStart = line.start + eq + 1 + (lead == std::string_view::npos ? afterEq.size() : lead);
            place.valueEnd = place.valueStart + value.size();
            break;
        }
        return place;
    }

    std::string Value(const TPlace& place) const {
        return data_.substr(place.valueStart, place.valueEnd - place.valueStart);
    }

    void Store(std::string_view section, std::string_view ident, std::string_view value) {
        const TPlace place = Find(section, ident);
        const std::string eol = data_.find("\r\n") != std::string::npos ? "\r\n" : "\n";
        const std::string entry = std::string(ident) + "=" + std::string(value);
        if (place.identFound) {
            data_.replace(place.valueStart, place.valueEnd - place.valueStart, value);
        } else if (place.sectionFound) {
            const TLine& last = *place.sectionLast;
            const bool hasBreak = last.next > last.end;
            data_.insert(last.next, (hasBreak ? "" : eol) + entry + eol);
        } else {
            if (!data_.empty() && data_.back() != '\n') data_ += eol;
            if (!data_.empty() && !lines_.empty() && !Trim(LineText(lines_.back())).empty()) data_ += eol;
            data_.append(1, '[').append(section).append(1, ']').append(eol).append(entry).append(eol);
        }
        Split();
    }

private:
    std::string_view LineText(const TLine& line) const {
        return std::string_view(data_.data() + line.start, line.end - line.start);
    }

    void Split() {
        lines_.clear();
        // A byte-order mark that editors may write is no part of the first line.
        size_t start = data_.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
        while (start < data_.size()) {
            const size_t lf = data_.find('\n', start);
            if (lf == std::string::npos) {
                lines_.push_back({start, data_.size(), data_.size()});
                break;
            }
            const size_t end = lf > start && data_[lf - 1] == '\r' ? lf - 1 : lf;
            lines_.push_back({start, end, lf + 1});
            start = lf + 1;
        }
    }

    std::string data_;
    std::vector<TLine> lines_;
};

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

void CheckStorable(const std::string& section, const std::string& ident, const std::string& value) {
    if (HasLineBreak(section) || section.find(']') != std::string::npos || Trim(section).empty())
        throw EIniFileException(u"Invalid settings section name \"" + S(section) + u"\"");
    const std::string_view name = Trim(ident);
    if (HasLineBreak(ident) || ident.find('=') != std::string::npos || name.empty() || name.front() == '[' ||
        name.front() == ';' || name.front() == '#')
        throw EIniFileException(u"Invalid settings name \"" + S(ident) + u"\"");
    if (HasLineBreak(value)) throw EIniFileException(u"A settings value cannot hold a line break");
}

std::optional<int> ParseInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    long long magnitude = 0;
    if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    const long long value = negative ? -magnitude : magnitude;
    if (value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace

String TIniFile::ReadString(const String& Section, const String& Ident, const String& Default) const {
    const std::optional<std::string> data = ReadFileBytes(fileName_);
    if (!data) return Default;
    const TIniText text(*data);
    const TPlace place = text.Find(StringToUtf8(Section), StringToUtf8(Ident));
    return place.identFound ? Utf8ToString(text.Value(place)) : Default;
}

int TIniFile::ReadInteger(const String& Section, const String& Ident, int Default) const {
    const String value = ReadString(Section, Ident, String());
    return ParseInteger(StringToUtf8(value)).value_or(Default);
}

void TIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
    const std::string section = StringToUtf8(Section), ident = StringToUtf8(Ident), value = StringToUtf8(Value);
    if (fileName_.empty()) throw EIniFileException(u"No settings file name given");
    CheckStorable(section, ident, value);
    TIniText text(ReadFileBytes(fileName_).value_or(std::string()));
    text.Store(Trim(section), Trim(ident), Trim(value));
    ReplaceFile(fileName_, text.Data());
}

void TIniFile::WriteInteger(const String& Section, const String& Ident, int Value) {
    WriteString(Section, Ident, IntToStr(Value));
}
