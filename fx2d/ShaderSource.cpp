#include "fx2d/ShaderSource.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/FileSystem.h"

namespace {

struct Declaration {
    const char* type;
    const char* name;
};

// What a Shadertoy shader finds declared without declaring it.
constexpr Declaration kShadertoyUniforms[] = {
    {"vec3", "iResolution"},     {"float", "iTime"},         {"float", "iTimeDelta"},
    {"float", "iFrameRate"},     {"int", "iFrame"},          {"vec4", "iDate"},
    {"vec4", "iMouse"},          {"float", "iSampleRate"},   {"float", "iChannelTime[4]"},
    {"vec3", "iChannelResolution[4]"},
    {"sampler2D", "iChannel0"},  {"sampler2D", "iChannel1"}, {"sampler2D", "iChannel2"},
    {"sampler2D", "iChannel3"},
};

// What the live-coding tool's header declares; its files usually carry the
// header themselves, and whatever they leave out is added.
constexpr Declaration kLiveCodingUniforms[] = {
    {"float", "fGlobalTime"},          {"float", "fFrameTime"},           {"vec2", "v2Resolution"},
    {"sampler1D", "texFFT"},           {"sampler1D", "texFFTSmoothed"},   {"sampler1D", "texFFTIntegrated"},
    {"sampler2D", "texPreviousFrame"}, {"sampler2D", "texChecker"},       {"sampler2D", "texNoise"},
    {"sampler2D", "texTex1"},          {"sampler2D", "texTex2"},          {"sampler2D", "texTex3"},
    {"sampler2D", "texTex4"},
};

// Desktop GLSL 3.30 takes what Shadertoy's GLSL ES 3.00 shaders write.
const char* const kDefaultVersion = "#version 330 core\n";

const char* const kVertex =
    "#version 330 compatibility\n"
    "uniform vec2 halvenorSize;\n"
    "out vec2 halvenorPixel;\n"
    "out float halvenorAlpha;\n"
    "void main() {\n"
    "    gl_Position = ftransform();\n"
    "    halvenorPixel = gl_MultiTexCoord0.xy * halvenorSize;\n"
    "    halvenorAlpha = gl_Color.a;\n"
    "}\n";

// The text with every comment turned into spaces, line breaks kept, so that
// scanning it finds only code at the same offsets and lines.
std::string WithoutComments(const std::string& text) {
    std::string out = text;
    size_t i = 0;
    while (i < out.size()) {
        if (out.compare(i, 2, "//") == 0) {
            while (i < out.size() && out[i] != '\n') {
                out[i++] = ' ';
            }
        } else if (out.compare(i, 2, "/*") == 0) {
            const size_t end = out.find("*/", i + 2);
            const size_t stop = end == std::string::npos ? out.size() : end + 2;
            for (; i < stop; ++i) {
                if (out[i] != '\n') {
                    out[i] = ' ';
                }
            }
        } else {
            ++i;
        }
    }
    return out;
}

bool IsIdentifierStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_'; }

bool IsIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

struct Token {
    std::string word;
    size_t end;
};

std::vector<Token> Identifiers(const std::string& code) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < code.size()) {
        if (IsIdentifierStart(code[i]) && (i == 0 || !IsIdentifierChar(code[i - 1]))) {
            size_t end = i;
            while (end < code.size() && IsIdentifierChar(code[end])) {
                ++end;
            }
            tokens.push_back(Token{code.substr(i, end - i), end});
            i = end;
        } else {
            ++i;
        }
    }
    return tokens;
}

// Whether the identifier at index is followed, past blanks, by '('.
bool FollowedByParenthesis(const std::string& code, const Token& token) {
    size_t at = token.end;
    while (at < code.size() && std::isspace(static_cast<unsigned char>(code[at])) != 0) {
        ++at;
    }
    return at < code.size() && code[at] == '(';
}

// A function named name defined (or declared) as void name(.
bool DefinesFunction(const std::string& code, const std::vector<Token>& tokens, const char* name) {
    for (size_t i = 1; i < tokens.size(); ++i) {
        if (tokens[i].word == name && tokens[i - 1].word == "void" && FollowedByParenthesis(code, tokens[i])) {
            return true;
        }
    }
    return false;
}

bool Mentions(const std::vector<Token>& tokens, const char* name) {
    for (const Token& token : tokens) {
        if (token.word == name) {
            return true;
        }
    }
    return false;
}

int LineOfOffset(const std::string& text, size_t offset) {
    int line = 1;
    for (size_t i = 0; i < offset && i < text.size(); ++i) {
        line += text[i] == '\n' ? 1 : 0;
    }
    return line;
}

// The line of the first function definition called name, for errors that
// the added entry point raises about it.
int FunctionLine(const std::string& code, const std::vector<Token>& tokens, const char* name) {
    for (size_t i = 1; i < tokens.size(); ++i) {
        if (tokens[i].word == name && tokens[i - 1].word == "void") {
            return LineOfOffset(code, tokens[i].end);
        }
    }
    return 1;
}

// The 1-based line of a #version directive, or 0.
int VersionLine(const std::string& code) {
    int line = 1;
    size_t start = 0;
    while (start <= code.size()) {
        size_t at = start;
        while (at < code.size() && (code[at] == ' ' || code[at] == '\t' || code[at] == '\r')) {
            ++at;
        }
        if (code.compare(at, 8, "#version") == 0) {
            return line;
        }
        const size_t next = code.find('\n', start);
        if (next == std::string::npos) {
            break;
        }
        start = next + 1;
        ++line;
    }
    return 0;
}

// Splits text after its first lines lines: the head keeps their breaks.
void SplitAfterLines(const std::string& text, int lines, std::string& head, std::string& rest) {
    size_t at = 0;
    for (int i = 0; i < lines && at != std::string::npos; ++i) {
        at = text.find('\n', at);
        if (at != std::string::npos) {
            ++at;
        }
    }
    if (at == std::string::npos) {
        head = text + "\n";
        rest.clear();
    } else {
        head = text.substr(0, at);
        rest = text.substr(at);
    }
}

// One complaint of a driver log: where it points and what it says. Mesa
// writes "0:12(5): error: text", others "ERROR: 0:12: text" or
// "0(12) : error C1008: text".
bool ParseLogLine(const std::string& raw, int& line, std::string& kind, std::string& text) {
    std::string rest = raw;
    kind = "error";
    for (const char* prefix : {"ERROR: ", "WARNING: "}) {
        if (rest.compare(0, std::strlen(prefix), prefix) == 0) {
            kind = prefix[0] == 'E' ? "error" : "warning";
            rest = rest.substr(std::strlen(prefix));
        }
    }
    const char* s = rest.c_str();
    char* end = nullptr;
    std::strtol(s, &end, 10);
    if (end == s || (*end != ':' && *end != '(')) {
        return false;
    }
    const bool parenthesised = *end == '(';
    const char* numberAt = end + 1;
    const long number = std::strtol(numberAt, &end, 10);
    if (end == numberAt) {
        return false;
    }
    if (parenthesised) {
        if (*end != ')') {
            return false;
        }
        ++end;
    } else if (*end == '(') {
        // Mesa's column.
        while (*end != '\0' && *end != ')') {
            ++end;
        }
        if (*end == ')') {
            ++end;
        }
    }
    while (*end == ' ' || *end == ':') {
        ++end;
    }
    text = end;
    for (const char* word : {"error", "warning"}) {
        const size_t length = std::strlen(word);
        if (text.compare(0, length, word) == 0) {
            kind = word;
            text = text.substr(length);
            // "error C1008: text" or "error: text".
            const size_t colon = text.find(": ");
            text = colon != std::string::npos && colon < 8 ? text.substr(colon + 2) : text;
            while (!text.empty() && (text[0] == ':' || text[0] == ' ')) {
                text.erase(0, 1);
            }
        }
    }
    line = static_cast<int>(number);
    return true;
}

std::string HumanSize(size_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

}  // namespace

const char* ShaderSource::Vertex() { return kVertex; }

bool ShaderSource::Declares(const std::string& text, const std::string& name) {
    const std::vector<Token> tokens = Identifiers(WithoutComments(text));
    for (size_t i = 2; i < tokens.size(); ++i) {
        if (tokens[i].word != name) {
            continue;
        }
        for (size_t back = 2; back <= 3 && back <= i; ++back) {
            const std::string& qualifier = tokens[i - back].word;
            if (qualifier == "uniform" || qualifier == "out" || qualifier == "in") {
                return true;
            }
        }
    }
    return false;
}

bool ShaderSource::Load(const char* name) {
    fileName = name != nullptr ? name : "";
    errors.clear();
    FILE* file = Platform::OpenFile(fileName.c_str(), "rb");
    if (file == nullptr) {
        errors.push_back(fileName + ": error: the shader file cannot be read (missing, or not a file)");
        return false;
    }
    std::string text;
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() <= kMaxBytes) {
        text.append(buffer, got);
    }
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    if (text.size() > kMaxBytes) {
        const size_t bytes = size > 0 ? static_cast<size_t>(size) : text.size();
        errors.push_back(fileName + ": error: the shader file holds " + HumanSize(bytes) +
                         "; a shader may hold at most 1 MB");
        return false;
    }
    return Parse(fileName, text);
}

namespace {

// Whether either style gives the uniform of that name.
bool Given(const std::string& name) {
    for (const Declaration& given : kShadertoyUniforms) {
        if (name == given.name) {
            return true;
        }
    }
    for (const Declaration& given : kLiveCodingUniforms) {
        if (name == given.name) {
            return true;
        }
    }
    return false;
}

// Past blanks from at; the offset of the next other character.
size_t SkipBlanks(const std::string& code, size_t at) {
    while (at < code.size() && std::isspace(static_cast<unsigned char>(code[at])) != 0) {
        ++at;
    }
    return at;
}

}  // namespace

std::vector<std::string> ShaderSource::OwnFloatUniforms(const std::string& text) {
    const std::string code = WithoutComments(text);
    const std::vector<Token> tokens = Identifiers(code);
    std::vector<std::string> names;
    for (size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (tokens[i].word != "uniform") {
            continue;
        }
        size_t type = i + 1;
        if (tokens[type].word == "lowp" || tokens[type].word == "mediump" || tokens[type].word == "highp") {
            ++type;
        }
        if (type >= tokens.size() || tokens[type].word != "float") {
            continue;
        }
        // Names separated by commas up to the semicolon; arrays and names
        // with an initialiser's expression are passed over to the next comma.
        size_t at = tokens[type].end;
        while (at < code.size()) {
            at = SkipBlanks(code, at);
            const size_t start = at;
            while (at < code.size() && IsIdentifierChar(code[at])) {
                ++at;
            }
            const std::string name = code.substr(start, at - start);
            at = SkipBlanks(code, at);
            const bool plain = !name.empty() && IsIdentifierStart(name[0]) && at < code.size() &&
                               (code[at] == ',' || code[at] == ';' || code[at] == '=');
            if (plain && !Given(name)) {
                names.push_back(name);
            }
            while (at < code.size() && code[at] != ',' && code[at] != ';') {
                ++at;
            }
            if (at >= code.size() || code[at] == ';') {
                break;
            }
            ++at;
        }
    }
    return names;
}

bool ShaderSource::Parse(const std::string& name, const std::string& rawText) {
    fileName = name;
    errors.clear();
    fragment.clear();
    ownFloats.clear();
    style = Style::None;
    if (rawText.size() > kMaxBytes) {
        errors.push_back(fileName + ": error: the shader holds " + HumanSize(rawText.size()) +
                         "; a shader may hold at most 1 MB");
        return false;
    }
    std::string text = rawText;
    Platform::ToTextMode(text);
    // A zero byte would end the text the driver reads.
    if (text.find('\0') != std::string::npos) {
        errors.push_back(fileName + ":" + std::to_string(LineOfOffset(text, text.find('\0'))) +
                         ": error: the shader holds a zero byte: is it a text file?");
        return false;
    }
    const std::string code = WithoutComments(text);
    const std::vector<Token> tokens = Identifiers(code);
    if (DefinesFunction(code, tokens, "mainImage")) {
        style = Style::Shadertoy;
        entryLine = FunctionLine(code, tokens, "mainImage");
    } else if (DefinesFunction(code, tokens, "main") && Mentions(tokens, "out_color")) {
        style = Style::LiveCoding;
        entryLine = FunctionLine(code, tokens, "main");
    } else {
        errors.push_back(fileName +
                         ":1: error: no entry point: define mainImage(out vec4, in vec2) as on Shadertoy, "
                         "or main() writing out_color as in the live-coding tool");
        return false;
    }
    Build(text);
    ownFloats = OwnFloatUniforms(text);
    return true;
}

std::string ShaderSource::Prelude(const std::string& text) const {
    std::string prelude;
    auto declare = [&](const Declaration& d, const char* qualifier) {
        std::string name = d.name;
        const size_t bracket = name.find('[');
        if (!Declares(text, bracket == std::string::npos ? name : name.substr(0, bracket))) {
            prelude += std::string(qualifier) + " " + d.type + " " + name + ";\n";
        }
    };
    if (style == Style::Shadertoy) {
        for (const Declaration& d : kShadertoyUniforms) {
            declare(d, "uniform");
        }
        prelude += "in vec2 halvenorPixel;\nin float halvenorAlpha;\nout vec4 halvenorColour;\n";
    } else {
        for (const Declaration& d : kLiveCodingUniforms) {
            declare(d, "uniform");
        }
        if (!Declares(text, "out_color")) {
            prelude += "layout(location = 0) out vec4 out_color;\n";
        }
        prelude += "in float halvenorAlpha;\n#define main halvenorAuthorMain\n";
    }
    return prelude;
}

// The author's lines keep their numbers: the #version line (theirs or ours)
// comes first, the added declarations next, then a #line directive puts the
// count back where the author's text goes on. The entry point the engine
// adds counts as the line of the author's entry function.
void ShaderSource::Build(const std::string& text) {
    const int versionLine = VersionLine(WithoutComments(text));
    std::string head;
    std::string rest = text;
    if (versionLine > 0) {
        SplitAfterLines(text, versionLine, head, rest);
    } else {
        head = kDefaultVersion;
    }
    fragment = head + Prelude(text) + "#line " + std::to_string(versionLine + 1) + "\n" + rest;
    if (fragment.back() != '\n') {
        fragment += '\n';
    }
    if (style == Style::Shadertoy) {
        fragment += "#line " + std::to_string(entryLine) +
                    "\nvoid main() { vec4 colour = vec4(0.0, 0.0, 0.0, 1.0); mainImage(colour, halvenorPixel); "
                    "halvenorColour = vec4(colour.rgb, 1.0) * halvenorAlpha; }\n";
    } else {
        fragment += "#undef main\n#line " + std::to_string(entryLine) +
                    "\nvoid main() { halvenorAuthorMain(); out_color = vec4(out_color.rgb, 1.0) * halvenorAlpha; }\n";
    }
}

std::vector<std::string> ShaderSource::AuthorMessages(const std::string& driverLog) const {
    std::vector<std::string> messages;
    size_t start = 0;
    while (start < driverLog.size()) {
        size_t end = driverLog.find('\n', start);
        if (end == std::string::npos) {
            end = driverLog.size();
        }
        const std::string raw = driverLog.substr(start, end - start);
        start = end + 1;
        if (raw.find_first_not_of(" \t\r") == std::string::npos) {
            continue;
        }
        int line = 0;
        std::string kind;
        std::string text;
        if (ParseLogLine(raw, line, kind, text) && line >= 1) {
            messages.push_back(fileName + ":" + std::to_string(line) + ": " + kind + ": " + text);
        } else {
            messages.push_back(fileName + ": error: " + raw);
        }
    }
    return messages;
}
