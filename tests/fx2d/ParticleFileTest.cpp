// Particle definition files as untrusted input: loading short files, absurd
// counts, too many textures and unterminated names never reads or allocates
// beyond what the file holds, and keeps the records in line.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "core/Engine.h"
#include "fx2d/ParticleFile.h"
#include "fx2d/ParticleSystem.h"
#include "tests/support/TempDir.h"

using TestSupport::TempDir;

namespace {

// Builds definition files byte by byte, little-endian.
class FileBytes {
public:
    FileBytes& U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        }
        return *this;
    }
    FileBytes& F32(float f) {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        return U32(v);
    }
    FileBytes& Byte(uint8_t b) {
        bytes.push_back(static_cast<char>(b));
        return *this;
    }
    FileBytes& Header(uint32_t particles, uint32_t textures, int32_t type = 4, int32_t blend = 0) {
        return U32(particles).F32(1.5f).F32(20.0f).Byte(1).U32(static_cast<uint32_t>(type)).U32(
            static_cast<uint32_t>(blend)).U32(textures);
    }
    FileBytes& Name(const std::string& name) {
        std::string field(255, '\0');
        field.replace(0, name.size() < 255 ? name.size() : 255, name.substr(0, 255));
        bytes += field;
        return *this;
    }
    // A record whose fifteen fields are first, first + 1, ..., with the
    // texture index given.
    FileBytes& Record(float first, int32_t textureIndex = 0) {
        for (int i = 0; i < 15; ++i) {
            if (i == 11) {
                U32(static_cast<uint32_t>(textureIndex));
            } else {
                F32(first + static_cast<float>(i));
            }
        }
        return *this;
    }
    std::string bytes;
};

class ParticleFileTest : public ::testing::Test {
protected:
    std::string Log() const { return dir.Read("error_log.txt"); }

    TempDir dir;
    ParticleSystem system;
};

TEST_F(ParticleFileTest, AFileWithOneTextureAndTwoParticlesIs400BytesAndReadsBack) {
    dir.Write("p.bin", FileBytes().Header(2, 1).Name("texturas\\chispa.jpg").Record(100.0f).Record(200.0f).bytes);
    EXPECT_TRUE(system.Load("p.bin"));
    EXPECT_EQ(system.particleCount, 2u);
    EXPECT_EQ(system.textureCount, 1u);
    EXPECT_STREQ(system.textureFiles[0], "texturas\\chispa.jpg");
    EXPECT_EQ(system.type, 4);
    EXPECT_TRUE(system.billboard);
    EXPECT_EQ(system.range, 20.0f);
    EXPECT_EQ(system.particles[1].baseX, 200.0f);
    EXPECT_EQ(system.particles[1].offsetZ, 214.0f);

    ASSERT_TRUE(system.Save("copy.bin"));
    EXPECT_EQ(dir.Read("copy.bin"), dir.Read("p.bin"));
    EXPECT_EQ(dir.Read("copy.bin").size(), 400u);
}

TEST_F(ParticleFileTest, AMissingFileLeavesANamedEmptySystemAndAFullRegistryRefusesMore) {
    Engine engine;
    engine.CreateParticleSystem("nada.bin", "Humo");
    ParticleSystem* found = engine.FindParticleSystem("HUMO");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->particleCount, 0u);
    found->SetVisible(true);
    found->Update();
    EXPECT_NE(Log().find("-> [PARTICULAS] No se puede abrir el fichero [ nada.bin ]"), std::string::npos) << Log();

    // The registry holds 50 systems; the 51st is refused with a log line.
    for (int i = 1; i <= Engine::kMaxParticleSystems; ++i) {
        EXPECT_EQ(engine.CreateParticleSystem("nada.bin", "Otro"), std::min(i + 1, Engine::kMaxParticleSystems));
    }
    EXPECT_NE(Log().find("-- PRECONFIG -- Demasiadas particulas (maximo 50): se ignora [ nada.bin ]"),
              std::string::npos);
    engine.Shutdown();
    EXPECT_EQ(engine.particleSystemCount, 0);
}

TEST_F(ParticleFileTest, AShortFileKeepsTheParticlesReadWhole) {
    std::string bytes = FileBytes().Header(5, 1).Name("a.jpg").Record(0.0f).Record(10.0f).Record(20.0f).bytes;
    bytes.resize(bytes.size() - 30);  // half of the third record
    dir.Write("short.bin", bytes);
    EXPECT_FALSE(system.Load("short.bin"));
    EXPECT_EQ(system.particleCount, 2u);
    EXPECT_EQ(system.particles[1].baseX, 10.0f);
    EXPECT_NE(Log().find("incompleto: 1 de 1 texturas, 2 de 5 particulas"), std::string::npos) << Log();

    // Cut inside the header: nothing at all.
    dir.Write("stub.bin", bytes.substr(0, 12));
    ParticleSystem stub;
    EXPECT_FALSE(stub.Load("stub.bin"));
    EXPECT_EQ(stub.particleCount, 0u);
    EXPECT_EQ(stub.particles, nullptr);
}

TEST_F(ParticleFileTest, AbsurdCountsAreBoundedByWhatTheFileHolds) {
    dir.Write("huge.bin", FileBytes().Header(0xFFFFFFFFu, 0).Record(1.0f).bytes);
    EXPECT_FALSE(system.Load("huge.bin"));
    EXPECT_EQ(system.particleCount, 1u);

    dir.Write("names.bin", FileBytes().Header(0xFFFFFFFFu, 0xFFFFFFFFu).Name("a.jpg").bytes);
    ParticleSystem names;
    EXPECT_FALSE(names.Load("names.bin"));
    EXPECT_EQ(names.particleCount, 0u);
    EXPECT_EQ(names.textureCount, 1u);
}

TEST_F(ParticleFileTest, ElevenTexturesUseTheFirstTenAndKeepTheRecordsInLine) {
    FileBytes file;
    file.Header(1, 11);
    for (int i = 0; i < 11; ++i) {
        file.Name("t" + std::to_string(i) + ".jpg");
    }
    dir.Write("many.bin", file.Record(7.0f, 9).bytes);
    EXPECT_TRUE(system.Load("many.bin"));
    EXPECT_EQ(system.textureCount, 10u);
    EXPECT_STREQ(system.textureFiles[9], "t9.jpg");
    ASSERT_EQ(system.particleCount, 1u);
    EXPECT_EQ(system.particles[0].baseX, 7.0f);
    EXPECT_EQ(system.particles[0].textureIndex, 9);
    EXPECT_NE(Log().find("nombra 11 texturas: se usan las 10 primeras"), std::string::npos) << Log();
}

TEST_F(ParticleFileTest, AnUnterminatedNameIsCutInsideItsBufferAndStrayIndicesAreLogged) {
    dir.Write("name.bin", FileBytes().Header(2, 1).Name(std::string(255, 'x')).Record(1.0f, 1).Record(2.0f, -3).bytes);
    EXPECT_TRUE(system.Load("name.bin"));
    EXPECT_EQ(std::strlen(system.textureFiles[0]), 254u);
    EXPECT_EQ(system.particles[0].baseX, 1.0f);
    EXPECT_NE(Log().find("2 particulas con indice de textura fuera de rango"), std::string::npos) << Log();
}

// The reader stops at the end of the file, so a name from a show must never
// open something without one: an endless device or a FIFO is refused at once
// (the show checker reads particle files through the same reader).
TEST_F(ParticleFileTest, DevicesAndFifosAreNotRead) {
    ASSERT_EQ(mkfifo(dir.File("tubo.bin").c_str(), 0600), 0);
    for (const char* name : {"/dev/zero", "/dev/urandom", "-", "tubo.bin", "TUBO.BIN"}) {
        SCOPED_TRACE(name);
        ParticleFile file;
        EXPECT_EQ(file.Read(name), ParticleFile::Status::CannotOpen);
        ParticleSystem device;
        EXPECT_FALSE(device.Load(name));
        EXPECT_EQ(device.particleCount, 0u);
    }
    EXPECT_NE(Log().find("No se puede abrir el fichero [ /dev/zero ]"), std::string::npos) << Log();
}

}  // namespace
