#include "alsa_test_setup.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace quillon::test {

namespace {

std::unique_ptr<TempDir> g_folder;

std::string quoted(const std::string& s)
{
    return "\"" + s + "\"";
}

class AlsaEnvironment : public ::testing::Environment {
public:
    void SetUp() override { AlsaTestSetup::install(); }
    void TearDown() override { AlsaTestSetup::uninstall(); }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new AlsaEnvironment);

} // namespace

void AlsaTestSetup::install()
{
    g_folder = std::make_unique<TempDir>();
    configure(defaults());
    setenv("ALSA_CONFIG_PATH", (g_folder->path() / "asound.conf").c_str(), 1);
    // The file filter keeps its save options in the user's settings.
    setenv("QUILLON_USER_CONFIG_DIR", (g_folder->path() / "config").c_str(), 1);
}

void AlsaTestSetup::uninstall() { g_folder.reset(); }

const std::filesystem::path& AlsaTestSetup::folder()
{
    if (!g_folder)
        throw std::logic_error("the ALSA test environment is not set up");
    return g_folder->path();
}

std::string AlsaTestSetup::file(const std::string& stem)
{
    static std::atomic<int> counter{0};
    return (folder() / (stem + "-" + std::to_string(++counter))).string();
}

AlsaDeviceOptions AlsaTestSetup::defaults()
{
    AlsaDeviceOptions o;
    o.outFile = file("out") + ".raw";
    o.inFile = file("in") + ".raw";
    writeBytes(o.inFile, {});
    return o;
}

void AlsaTestSetup::configure(const AlsaDeviceOptions& o)
{
    std::string text;
    text += "pcm.!default {\n  type file\n  slave.pcm \"quillon_paced\"\n";
    text += "  file " + quoted(o.outFile) + "\n  format \"raw\"\n";
    text += "  infile " + quoted(o.inFile) + "\n}\n";
    text += "pcm.quillon_paced {\n  type quillon_paced\n  fail_after " + std::to_string(o.failAfter) + "\n";
    text += std::string("  fail_mode ") + (o.failWithError ? "\"error\"" : "\"stall\"") + "\n}\n";
    const std::string pcmPlugin = o.unavailable ? (folder() / "missing.so").string() : QUILLON_TEST_PACED_PCM;
    text += "pcm_type.quillon_paced { lib " + quoted(pcmPlugin) + " }\n";
    if (!o.mixerState.empty()) {
        text += "ctl.!default {\n  type quillon_test\n  state " + quoted(o.mixerState) + "\n}\n";
        text += "ctl_type.quillon_test { lib " + quoted(QUILLON_TEST_MIXER_CTL) + " }\n";
    }
    // A new file under the same name: ALSA notices the change by the file's identity.
    const std::filesystem::path target = folder() / "asound.conf";
    const std::filesystem::path temp = folder() / "asound.conf.new";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << text;
    }
    std::filesystem::rename(temp, target);
}

std::vector<uint8_t> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace quillon::test
