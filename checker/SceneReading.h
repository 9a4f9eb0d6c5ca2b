// One reading of a scene file by the engine's own reader, ASE or binary, as
// the checker needs it: the endings taken over (a file that would end the
// player ends only the reading), the log captured instead of written, and
// what the reader says, its log warnings and its boxes, each noted with the
// line of an ASE file the reader was reading when it said it.
#ifndef HALVENOR_CHECKER_SCENEREADING_H
#define HALVENOR_CHECKER_SCENEREADING_H

#include <cstdint>
#include <string>
#include <vector>

class AseReader;
class Scene;

class SceneReading {
public:
    struct Said {
        std::string message;
        // From 1; 0 in a binary file, and for what is about the whole file.
        int line;
    };

    // At most this many things said are kept: the findings keep no more.
    explicit SceneReading(size_t kept) : kept(kept) {}
    SceneReading(const SceneReading&) = delete;
    SceneReading& operator=(const SceneReading&) = delete;

    // Reads the file into scene; false when the reader ended the process.
    bool Read(const std::string& name, bool binary, Scene& scene);

    // In the order said.
    const std::vector<Said>& Sayings() const { return said; }
    unsigned EndStatus() const { return endStatus; }
    // The line the reader was reading when it ended.
    int EndLine() const { return endLine; }
    // The last box shown, which an ending comes after, as "[caption] text";
    // empty without one.
    const std::string& LastBox() const { return lastBox; }

private:
    static void LogWritten(void* context);
    static void BoxShown(void* context);
    // The reader's warnings among the complete lines of the captured log;
    // with all, the unfinished last line too.
    void TakeLog(bool all);
    void Note(const std::string& message);
    void FindLines(const std::string& name, bool ended);

    size_t kept;
    const AseReader* ase = nullptr;
    std::string log;
    std::vector<Said> said;
    // Where the reader was for each of said.
    std::vector<uint64_t> offsets;
    unsigned endStatus = 0;
    int endLine = 0;
    std::string lastBox;
};

#endif
