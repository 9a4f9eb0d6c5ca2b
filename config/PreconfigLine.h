// One command line of preconfig.txt split into its words: a command word
// ("LOAD", "SET"), a kind word and up to ten argument words. Words are
// separated by runs of spaces only (a tab belongs to a word). The line feed
// that ends the line is cut from its last word, so a line without argument
// words keeps it on the kind word, which then matches no kind.
#ifndef HALVENOR_CONFIG_PRECONFIGLINE_H
#define HALVENOR_CONFIG_PRECONFIGLINE_H

class PreconfigLine {
public:
    // Lines are read this many characters at a time, line break included.
    static constexpr int kReadLimit = 149;
    static constexpr int kMaxArgs = 10;
    // Words are shorter than this; longer ones are cut to fit.
    static constexpr int kWordSize = 100;

    explicit PreconfigLine(const char* line);

    const char* Command() const { return command; }
    const char* Kind() const { return kind; }
    int ArgCount() const { return argCount; }
    // Argument words counted from 1 after the kind word; "" when absent.
    const char* Arg(int position) const;
    int IntArg(int position) const;
    float FloatArg(int position) const;

    bool IsComment() const;
    bool CommandIs(const char* word) const;
    bool KindIs(const char* word) const;

private:
    void StoreWord(int index, const char* begin, int length);

    char command[kWordSize];
    char kind[kWordSize];
    char args[kMaxArgs][kWordSize];
    int argCount;
};

// ASCII case-insensitive equality, independent of the locale.
bool EqualsIgnoringCase(const char* a, const char* b);

#endif
