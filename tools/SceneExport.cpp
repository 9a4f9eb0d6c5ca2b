// Turns an ASE export into the engine's binary scene file, which loads many
// times faster and draws the same picture. The scene is read with the
// engine's own ASE reader and given the creation steps an ASE scene gets
// before it is written (objects centred on their boxes, adjacency counts
// filled); no window is needed.
//
//   SceneExport IN.ase OUT.bin [--gather-textures]
//
// Run it in the show directory: texture names are relative to it. With
// --gather-textures every texture is copied into texturas/ under its own name,
// the scene names it there, and the copies are listed in OUT.bin.TXT. The
// engine's log of the export goes to error_log.txt in the working directory.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/Version.h"
#include "platform/FileSystem.h"
#include "scene/AseReader.h"
#include "scene/BinarySceneFile.h"
#include "scene/Scene.h"

namespace {

const char* const kUsage =
    "usage: SceneExport IN.ase OUT.bin [--gather-textures]\n"
    "\n"
    "Writes the ASE scene IN.ase as a binary scene file OUT.bin, for a\n"
    "\"LOAD ESCENA_BIN OUT.bin name\" line of preconfig.txt.\n"
    "\n"
    "  --gather-textures  copy every texture the scene uses into texturas/ and\n"
    "                     name it there in OUT.bin (\"texturas\\name.jpg\");\n"
    "                     the copies are listed in OUT.bin.TXT\n"
    "  -h, --help         show this text\n"
    "      --version      the engine version\n"
    "\n"
    "Run it in the show directory (texture names are relative to it). The\n"
    "details of the export go to error_log.txt there. Exit status: 0 written,\n"
    "1 IN.ase holds no scene, or the scene or a texture could not be read or\n"
    "written, 2 bad arguments.\n";

struct Options {
    std::string input;
    std::string output;
    bool gatherTextures = false;
    bool help = false;
    bool version = false;
};

// False, with a message, for arguments that are not a valid call.
bool ParseArguments(int argc, char** argv, Options& options) {
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--gather-textures") {
            options.gatherTextures = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            std::fprintf(stderr, "SceneExport: unknown option %s\n", argv[i]);
            return false;
        } else if (files == 0) {
            options.input = argument;
            ++files;
        } else if (files == 1) {
            options.output = argument;
            ++files;
        } else {
            std::fprintf(stderr, "SceneExport: too many file names (%s)\n", argv[i]);
            return false;
        }
    }
    if (!options.help && !options.version && files != 2) {
        std::fprintf(stderr, "SceneExport: need an ASE file and a binary file name\n");
        return false;
    }
    return true;
}

// The reader ends the process on a file it cannot read; the tool says why first.
bool Readable(const std::string& name) {
    const std::string path = Platform::ResolvePath(name.c_str());
    errno = 0;
    if (!Platform::IsRegularFile(path) || !Platform::CanRead(path)) {
        const int reason = errno;
        std::fprintf(stderr, "SceneExport: cannot read %s: %s\n", name.c_str(),
                     Platform::IsDirectory(path) ? "is a directory" : std::strerror(reason));
        return false;
    }
    return true;
}

// The creation steps of an ASE scene that shape what the file stores.
void PrepareForExport(Scene& scene) {
    for (uint32_t i = 0; i < scene.objectCount; ++i) {
        scene.objects[i].Centre();
    }
    scene.LinkMaterials();
    for (uint32_t i = 0; i < scene.objectCount; ++i) {
        scene.objects[i].Prepare(false);
    }
}

int Export(const Options& options) {
    if (!Readable(options.input)) {
        return 1;
    }
    Scene scene;
    AseReader reader;
    reader.Read(options.input.c_str(), scene);
    // Nothing at all is what any other file reads as, a binary scene given
    // first by mistake for one: the output (perhaps the real ASE file) is
    // not touched.
    if (scene.ObjectCount() + scene.MaterialCount() + scene.CameraCount() + scene.LightCount() == 0) {
        std::fprintf(stderr, "SceneExport: %s holds no scene (is it an ASE export?); nothing written\n",
                     options.input.c_str());
        scene.Release();
        return 1;
    }
    PrepareForExport(scene);

    // An existing directory counts in any letter case, as the engine finds it.
    const std::string textures = Platform::ResolvePath("texturas");
    if (options.gatherTextures && !Platform::MakeDirectory(textures)) {
        std::fprintf(stderr, "SceneExport: cannot create texturas/: %s\n", std::strerror(errno));
        scene.Release();
        return 1;
    }
    BinarySceneFile writer;
    writer.SetNormaliseTextures(options.gatherTextures);
    const bool written = writer.Write(options.output.c_str(), scene);
    if (written) {
        std::printf("SceneExport: %s -> %s: %u objects, %u materials, %u cameras, %u lights\n",
                    options.input.c_str(), options.output.c_str(), scene.ObjectCount(), scene.MaterialCount(),
                    scene.CameraCount(), scene.LightCount());
    }
    scene.Release();
    for (const std::string& clash : writer.TextureClashes()) {
        std::fprintf(stderr, "SceneExport: warning: %s: two textures of one name from different folders, and "
                             "only the last is kept (rename one)\n", clash.c_str());
    }
    if (!written) {
        std::fprintf(stderr, "SceneExport: could not write %s%s (see error_log.txt)\n", options.output.c_str(),
                     options.gatherTextures ? " or its report" : "");
        return 1;
    }
    if (writer.TexturesNotCopied() > 0) {
        std::fprintf(stderr, "SceneExport: %d texture(s) could not be copied into texturas/ (see error_log.txt)\n",
                     writer.TexturesNotCopied());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("SceneExport %s\n", HALVENOR_VERSION);
        return 0;
    }
    return Export(options);
}
