// Tracker modules through libopenmpt. Loading is from memory, the fastest of
// its ways; its log and error callbacks are silenced, and its one error text
// is kept as the reason for a refusal.
#include "platform/ModuleMusic.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/FileDescriptor.h"
#include "platform/FileSystem.h"
#include "platform/HeapUse.h"


namespace {

// What libopenmpt keeps of a module is measured on the heap, not guessed,
// since a packed module may unpack to many times its size.
uint64_t HeapInUse() { return Platform::HeapBytesInUse(); }

constexpr double kMaxSeconds = 30.0 * 60.0;
constexpr size_t kChunkFrames = 4096;
constexpr int kSeekAttempts = 16;
constexpr double kSeekLeadSeconds = 0.02;

std::string Text(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

// A metadata text is the library's own copy, freed by the caller.
std::string Metadata(openmpt_module* module, const char* key) {
    const char* value = openmpt_module_get_metadata(module, key);
    std::string text = Text(value);
    openmpt_free_string(value);
    return text;
}

void PutLittle(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

std::string WavHeader(uint64_t frames) {
    const uint32_t dataBytes = static_cast<uint32_t>(frames * 4);
    std::string header = "RIFF";
    PutLittle(header, 36 + dataBytes, 4);
    header += "WAVEfmt ";
    PutLittle(header, 16, 4);
    PutLittle(header, 1, 2);  // PCM
    PutLittle(header, 2, 2);
    PutLittle(header, ModuleMusic::kRate, 4);
    PutLittle(header, ModuleMusic::kRate * 4, 4);
    PutLittle(header, 4, 2);
    PutLittle(header, 16, 2);
    header += "data";
    PutLittle(header, dataBytes, 4);
    return header;
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

}  // namespace

const char* const ModuleMusic::kNotAModule = "no es un modulo";

bool ModuleMusic::Probe(const std::string& contents) {
    return openmpt_probe_file_header(OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, contents.data(), contents.size(),
                                     contents.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
                                     nullptr, nullptr, nullptr) == OPENMPT_PROBE_FILE_HEADER_RESULT_SUCCESS;
}

std::unique_ptr<ModuleMusic> ModuleMusic::Load(const std::string& contents, std::string* reason) {
    if (contents.size() > kMaxFileBytes) {
        *reason = "el modulo ocupa mas de 256 MB";
        return nullptr;
    }
    // Seeks land on the exact sample; the song ends without a fade-out, so
    // that its end is the loop point; no dither, whose noise the library
    // seeds at random, so that a song renders to the same samples at every
    // load (a capture's sound is repeatable, a seek lands on what playing
    // from the start gives).
    const openmpt_module_initial_ctl controls[] = {
        {"seek.sync_samples", "1"}, {"play.at_end", "stop"}, {"dither", "0"}, {nullptr, nullptr}};
    int error = 0;
    const char* message = nullptr;
    const uint64_t heapBefore = HeapInUse();
    openmpt_module* module =
        openmpt_module_create_from_memory2(contents.data(), contents.size(), openmpt_log_func_silent, nullptr,
                                           openmpt_error_func_ignore, nullptr, &error, &message, controls);
    const uint64_t heapAfter = HeapInUse();
    if (module == nullptr) {
        *reason = "el modulo no se puede leer (libopenmpt: " + (message != nullptr ? Text(message) : "?") + ")";
        openmpt_free_string(message);
        return nullptr;
    }
    openmpt_free_string(message);
    std::unique_ptr<ModuleMusic> music(new ModuleMusic(module));
    music->heldBytes = heapAfter > heapBefore ? heapAfter - heapBefore : 0;
    const double seconds = openmpt_module_get_duration_seconds(module);
    if (!(seconds > 0.0) || seconds > kMaxSeconds) {
        *reason = seconds > kMaxSeconds ? "el modulo dura mas de 30 minutos" : "el modulo no dura nada";
        return nullptr;
    }
    music->frameCount = static_cast<uint64_t>(std::llround(seconds * kRate));
    if (music->frameCount == 0) {
        *reason = "el modulo no dura nada";
        return nullptr;
    }
    return music;
}

std::unique_ptr<ModuleMusic> ModuleMusic::LoadFile(const char* name, std::string* reason) {
    const int descriptor = Platform::OpenRegularFile(name);
    if (descriptor < 0) {
        *reason = "no se puede abrir el fichero";
        return nullptr;
    }
    const uint64_t fileBytes = Platform::DescriptorFileBytes(descriptor);
    // The header tells; a long sound file is not read whole only to learn
    // that it is no module.
    const uint64_t headerBytes = openmpt_probe_file_header_get_recommended_size();
    std::string contents = Platform::ReadFromDescriptor(descriptor, std::min(fileBytes, headerBytes));
    const bool module =
        openmpt_probe_file_header(OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, contents.data(), contents.size(), fileBytes,
                                  openmpt_log_func_silent, nullptr, openmpt_error_func_ignore, nullptr, nullptr,
                                  nullptr) == OPENMPT_PROBE_FILE_HEADER_RESULT_SUCCESS;
    if (module && fileBytes <= kMaxFileBytes) {
        contents = Platform::ReadFromDescriptor(descriptor, fileBytes);
    }
    Platform::CloseFileDescriptor(descriptor);
    if (!module) {
        *reason = kNotAModule;
        return nullptr;
    }
    if (fileBytes > kMaxFileBytes) {
        *reason = "el modulo ocupa mas de 256 MB";
        return nullptr;
    }
    return Load(contents, reason);
}

ModuleMusic::ModuleMusic(openmpt_module* module_) : module(module_), frameCount(0), heldBytes(0) {}

ModuleMusic::~ModuleMusic() { openmpt_module_destroy(module); }

ModuleMusic::Info ModuleMusic::Describe() const {
    Info info;
    info.format = Metadata(module, "type_long");
    info.title = Metadata(module, "title");
    info.channels = openmpt_module_get_num_channels(module);
    info.orders = openmpt_module_get_num_orders(module);
    info.patterns = openmpt_module_get_num_patterns(module);
    info.samples = openmpt_module_get_num_samples(module);
    info.instruments = openmpt_module_get_num_instruments(module);
    info.seconds = static_cast<double>(frameCount) / kRate;
    return info;
}

size_t ModuleMusic::Render(int16_t* interleaved, size_t frames) {
    return openmpt_module_read_interleaved_stereo(module, kRate, frames, interleaved);
}

void ModuleMusic::Skip(uint64_t frames) {
    int16_t scratch[kChunkFrames * 2];
    while (frames > 0) {
        const size_t got = Render(scratch, static_cast<size_t>(std::min<uint64_t>(frames, kChunkFrames)));
        if (got == 0) {
            return;
        }
        frames -= got;
    }
}

void ModuleMusic::Seek(uint64_t frame) {
    // libopenmpt lands on the start of a row, which may lie after the time
    // asked for: aim earlier until it lands a little before it, so that the
    // channels' volume ramps after the jump have faded in by then.
    const double target = static_cast<double>(frame) / kRate;
    const double latest = target - kSeekLeadSeconds;
    double landed = -1.0;
    if (latest > 0.0) {
        double aim = latest;
        landed = openmpt_module_set_position_seconds(module, aim);
        for (int attempt = 0; attempt < kSeekAttempts && landed > latest; ++attempt) {
            aim = std::max(0.0, aim - (landed - latest) - 0.001 * (attempt + 1));
            landed = openmpt_module_set_position_seconds(module, aim);
        }
    }
    if (!(landed >= 0.0) || landed > latest) {
        landed = openmpt_module_set_position_seconds(module, 0.0);
    }
    const uint64_t at = static_cast<uint64_t>(std::llround(std::max(landed, 0.0) * kRate));
    Skip(frame > at ? frame - at : 0);
}

void ModuleMusic::Position(int32_t* order, int32_t* row) const {
    *order = openmpt_module_get_current_order(module);
    *row = openmpt_module_get_current_row(module);
}

bool ModuleMusic::RenderAll(uint64_t maxFrames, std::vector<int16_t>& samples, std::vector<RowMark>& rows,
                            std::string* reason) {
    if (frameCount > maxFrames) {
        *reason = "el modulo dura " + Seconds(static_cast<double>(frameCount) / kRate) + " y en memoria caben " +
                  Seconds(static_cast<double>(maxFrames) / kRate) + " para un fichero de su tamano";
        return false;
    }
    openmpt_module_set_position_seconds(module, 0.0);
    samples.clear();
    rows.clear();
    samples.reserve(static_cast<size_t>(frameCount) * 2);
    rows.reserve(static_cast<size_t>(frameCount / kRowMarkFrames) + 1);
    int16_t chunk[kRowMarkFrames * 2];
    uint64_t done = 0;
    while (done < frameCount) {
        const size_t got = Render(chunk, static_cast<size_t>(std::min<uint64_t>(kRowMarkFrames, frameCount - done)));
        if (got == 0) {
            break;
        }
        RowMark mark{done, 0, 0};
        Position(&mark.order, &mark.row);
        if (rows.empty() || rows.back().order != mark.order || rows.back().row != mark.row) {
            rows.push_back(mark);
        }
        samples.insert(samples.end(), chunk, chunk + got * 2);
        done += got;
    }
    if (done == 0) {
        *reason = "el modulo no produce sonido";
        return false;
    }
    return true;
}

bool ModuleMusic::WriteWav(uint64_t start, uint64_t count, const std::string& path, std::string* reason) {
    if (count * 4 > 0xFFFFFFFFull - 36) {
        *reason = "the stretch is too long for a WAV file";
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        *reason = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    const std::string header = WavHeader(count);
    bool written = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    uint64_t at = start % frameCount;
    Seek(at);
    std::vector<int16_t> chunk(kChunkFrames * 2);
    bool wrapped = false;
    while (written && count > 0) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>({kChunkFrames, count, frameCount - at}));
        size_t got = want > 0 ? Render(chunk.data(), want) : 0;
        if (got == 0) {
            // The song's end: it starts again, as it does in the show. A song
            // that renders nothing from its start fills the rest with silence.
            if (wrapped) {
                std::fill(chunk.begin(), chunk.end(), int16_t{0});
                got = static_cast<size_t>(std::min<uint64_t>(kChunkFrames, count));
            } else {
                Seek(0);
                at = 0;
                wrapped = true;
                continue;
            }
        } else {
            wrapped = false;
            at += got;
        }
        // Samples in the machine's order: WAV's little-endian, as on every
        // machine the engine runs on.
        written = std::fwrite(chunk.data(), 4, got, file) == got;
        count -= got;
    }
    written = std::fclose(file) == 0 && written;
    if (!written) {
        *reason = "cannot write " + path;
    }
    return written;
}
