// The lines the player writes to error_log.txt as it shuts down, for
// whole-program tests that check how a run ended.
#ifndef HALVENOR_TESTS_SUPPORT_SHUTDOWNLOG_H
#define HALVENOR_TESTS_SUPPORT_SHUTDOWNLOG_H

namespace TestSupport {

// Every release the registry walks, in its order. A show that loaded its
// script also saves it (kScriptRelease) before the closing line.
inline constexpr const char* kShutdownSequence =
    "-> Cerrando el sistema...\n"
    "-> Liberando fuentes: [OK]\n"
    "-> Liberando Escenas: [OK]\n"
    "-> Liberando Layers2D: [OK]\n"
    "-> Liberando Particulas: [OK]\n"
    "-> Liberando PBuffers: [OK]\n";
inline constexpr const char* kScriptRelease = "-> Liberando Script y guardando (y ordenando): [OK]\n";
inline constexpr const char* kClosed = "===> Sistema cerrado correctamente.\n";

}  // namespace TestSupport

#endif
