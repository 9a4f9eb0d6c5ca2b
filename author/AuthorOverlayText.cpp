#include "author/AuthorOverlayText.h"

#include <cinttypes>
#include <cstdarg>
#include <cmath>
#include <cstdio>

#include "core/Log.h"

namespace {

constexpr const char* kTimes = "\xC3\x97";      // ×
constexpr const char* kEnDash = "\xE2\x80\x93";  // –
constexpr const char* kEllipsis = "\xE2\x80\xA6";  // …
// Beyond about 30 000 years of music a millisecond count no longer fits.
constexpr double kLongestTime = 1.0e12;

std::string Printf(const char* format, ...) HALVENOR_PRINTF_FORMAT(1, 2);

std::string Printf(const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// Script lines and error messages may hold tabs and other control bytes,
// which have no glyph; a tab reads best as a space.
std::string Printable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '\t') {
            out += ' ';
        } else if (u < 0x20 || u == 0x7F) {
            out += '?';
        } else {
            out += c;
        }
    }
    return out;
}

void EncodeUtf8(uint32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string TimeLine(const AuthorOverlayInfo& info) {
    std::string line = AuthorOverlayText::Time(info.status.time);
    if (!info.musicPosition.empty()) {
        line += "  [" + Printable(info.musicPosition) + "]";
    }
    line += info.status.paused ? "  paused " : "  playing ";
    line += AuthorOverlayText::Speed(info.status.speed);
    return line;
}

std::string FrameLine(const AuthorOverlayInfo& info) {
    std::string line = Printf("%.1f ms  %.1f fps  loop ", info.frameMs, info.status.fps);
    if (!info.status.loopSet) {
        return line + "off";
    }
    return line + AuthorOverlayText::Time(info.status.loopStart) + kEnDash +
           AuthorOverlayText::Time(info.status.loopEnd);
}

// The sync tracks' row and the Rocket editor, for shows with tracks or an
// editor asked for.
AuthorOverlayLine SyncLine(const AuthorOverlayInfo& info) {
    AuthorOverlayLine line;
    line.text = info.status.row < 0 ? std::string("row -") : Printf("row %lld", info.status.row);
    line.text += "  rocket " + Printable(info.status.rocket);
    line.tone = info.status.rocket == "connected" ? AuthorOverlayTone::kPlain : AuthorOverlayTone::kDim;
    return line;
}

AuthorOverlayLine ProblemLine(const AuthorOverlayInfo& info) {
    const int count = info.status.findings;
    AuthorOverlayLine line;
    line.text = Printf("%d problem%s", count, count == 1 ? "" : "s");
    if (!info.status.reloadOk) {
        line.text += "  reload failed";
    }
    line.tone = count > 0 || !info.status.reloadOk ? AuthorOverlayTone::kWarning : AuthorOverlayTone::kDim;
    return line;
}

}  // namespace

std::string AuthorOverlayText::Time(double seconds) {
    if (!std::isfinite(seconds) || std::fabs(seconds) > kLongestTime) {
        return "-:--.---";
    }
    const int64_t totalMs = std::llround(std::fabs(seconds) * 1000.0);
    const char* sign = seconds < 0.0 && totalMs != 0 ? "-" : "";
    return Printf("%s%" PRId64 ":%02d.%03d", sign, totalMs / 60000, static_cast<int>(totalMs / 1000 % 60),
                  static_cast<int>(totalMs % 1000));
}

std::string AuthorOverlayText::Speed(double speed) {
    if (speed == 0.25) {
        return std::string("\xC2\xBC") + kTimes;
    }
    if (speed == 0.5) {
        return std::string("\xC2\xBD") + kTimes;
    }
    if (!std::isfinite(speed)) {
        return std::string("?") + kTimes;
    }
    return Printf("%g", speed) + kTimes;
}

std::vector<AuthorOverlayLine> AuthorOverlayText::Lines(const AuthorOverlayInfo& info) {
    std::vector<AuthorOverlayLine> lines;
    lines.push_back({TimeLine(info), AuthorOverlayTone::kBright});
    lines.push_back({FrameLine(info), AuthorOverlayTone::kPlain});
    lines.push_back({"scene " + (info.scene.empty() ? std::string("-") : Printable(info.scene)) +
                         Printf("  camera %d", info.camera),
                     AuthorOverlayTone::kPlain});
    if (info.status.row >= 0 || info.status.rocket != "off") {
        lines.push_back(SyncLine(info));
    }
    lines.push_back(ProblemLine(info));
    if (!info.notice.empty()) {
        lines.push_back({Printable(info.notice), AuthorOverlayTone::kBright});
    }

    const size_t events = info.events.size();
    for (size_t i = events > kMaxEvents ? events - kMaxEvents : 0; i < events; ++i) {
        const AuthorOverlayEvent& event = info.events[i];
        lines.push_back({Printf("%5d  ", event.line) + FitColumns(Printable(event.text), kEventColumns),
                         AuthorOverlayTone::kDim});
    }
    for (size_t i = 0; i < info.findings.size() && i < kMaxFindings; ++i) {
        lines.push_back({Printable(info.findings[i]), AuthorOverlayTone::kWarning});
    }
    if (info.findings.size() > kMaxFindings) {
        lines.push_back({Printf("%zu more", info.findings.size() - kMaxFindings), AuthorOverlayTone::kWarning});
    }
    return lines;
}

std::string AuthorOverlayText::FitColumns(const std::string& text, int columns) {
    const std::vector<uint32_t> codes = CodePoints(text);
    if (columns <= 0) {
        return std::string();
    }
    const size_t limit = static_cast<size_t>(columns);
    std::string out;
    if (codes.size() <= limit) {
        for (const uint32_t code : codes) {
            EncodeUtf8(code, out);
        }
        return out;
    }
    for (size_t i = 0; i + 1 < limit; ++i) {
        EncodeUtf8(codes[i], out);
    }
    return out + kEllipsis;
}

std::vector<std::string> AuthorOverlayText::Wrap(const std::string& text, int columns) {
    std::vector<std::string> rows;
    if (columns <= 0) {
        return rows;
    }
    const std::vector<uint32_t> codes = CodePoints(text);
    const size_t indent = columns > kWrapIndent ? static_cast<size_t>(kWrapIndent) : 0;
    size_t start = 0;
    do {
        const size_t lead = rows.empty() ? 0 : indent;
        const size_t room = static_cast<size_t>(columns) - lead;
        size_t end = codes.size();
        if (end - start > room) {
            // After the last space that leaves the row within its room (the
            // first character past the room may be that space); in a word
            // longer than the row, at the room's end.
            end = start + room;
            size_t space = end;
            while (space > start && codes[space] != ' ') {
                --space;
            }
            if (space > start) {
                end = space;
            }
        }
        std::string row(lead, ' ');
        for (size_t i = start; i < end; ++i) {
            EncodeUtf8(codes[i], row);
        }
        rows.push_back(row);
        start = end;
        while (start < codes.size() && codes[start] == ' ') {
            ++start;
        }
    } while (start < codes.size());
    return rows;
}

std::vector<uint32_t> AuthorOverlayText::CodePoints(const std::string& text) {
    std::vector<uint32_t> codes;
    codes.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        uint32_t code = lead;
        uint32_t least = 0;
        if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            code = lead & 0x07u;
            least = 0x10000;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            code = lead & 0x0Fu;
            least = 0x800;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            code = lead & 0x1Fu;
            least = 0x80;
        } else if (lead >= 0x80) {
            codes.push_back('?');
            ++i;
            continue;
        }
        size_t used = 1;
        for (; used <= static_cast<size_t>(extra) && i + used < text.size(); ++used) {
            const unsigned char next = static_cast<unsigned char>(text[i + used]);
            if ((next & 0xC0) != 0x80) {
                break;
            }
            code = (code << 6) | (next & 0x3Fu);
        }
        // A cut-short sequence, an overlong one or a surrogate is one '?' for
        // its lead byte; what follows is read afresh.
        if (used != static_cast<size_t>(extra) + 1 || code < least || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF)) {
            codes.push_back('?');
            ++i;
            continue;
        }
        codes.push_back(code);
        i += used;
    }
    return codes;
}
