#include "libburn_drives.h"

#include "burn_callbacks.h"
#include <libburn/libburn.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <signal.h>
#include <mutex>
#include <thread>

// In C++ the header puts everything in its own namespace.
using namespace burn;

namespace varda {

namespace {

// libburn is GPL and optional: it is loaded at run time, from the file the environment
// names (a test's stand-in) or the system's.
struct LibburnApi {
    bool ready = false;
    int (*initialize)(void);
    void (*set_signal_handling)(void*, burn_abort_handler_t, int);
    int (*msgs_set_severities)(char*, char*, char*);
    int (*drive_scan)(burn_drive_info**, unsigned int*);
    int (*drive_info_forget)(burn_drive_info*, int);
    void (*drive_info_free)(burn_drive_info*);
    int (*drive_scan_and_grab)(burn_drive_info**, char*, int);
    int (*drive_get_adr)(burn_drive_info*, char*);
    int (*drive_get_speedlist)(burn_drive*, burn_speed_descriptor**);
    int (*drive_free_speedlist)(burn_speed_descriptor**);
    burn_disc_status (*disc_get_status)(burn_drive*);
    int (*disc_erasable)(burn_drive*);
    void (*disc_erase)(burn_drive*, int);
    burn_drive_status (*drive_get_status)(burn_drive*, burn_progress*);
    int (*drive_wrote_well)(burn_drive*);
    void (*drive_cancel)(burn_drive*);
    void (*drive_release)(burn_drive*, int);
    void (*drive_set_speed)(burn_drive*, int, int);
    off_t (*disc_available_space)(burn_drive*, burn_write_opts*);
    burn_disc* (*disc_create)(void);
    void (*disc_free)(burn_disc*);
    burn_session* (*session_create)(void);
    void (*session_free)(burn_session*);
    int (*disc_add_session)(burn_disc*, burn_session*, unsigned int);
    burn_track* (*track_create)(void);
    void (*track_free)(burn_track*);
    void (*track_define_data)(burn_track*, int, int, int, int);
    burn_source_status (*track_set_source)(burn_track*, burn_source*);
    int (*track_set_pregap_size)(burn_track*, int, int);
    int (*track_set_index)(burn_track*, int, unsigned int, int);
    int (*track_set_cdtext)(burn_track*, int, int, char*, unsigned char*, int, int);
    int (*session_set_cdtext)(burn_session*, int, int, char*, unsigned char*, int, int);
    int (*session_add_track)(burn_session*, burn_track*, unsigned int);
    int (*track_set_isrc_string)(burn_track*, char*, int);
    void (*write_opts_set_mediacatalog)(burn_write_opts*, unsigned char*);
    void (*write_opts_set_has_mediacatalog)(burn_write_opts*, int);
    void (*source_free)(burn_source*);
    burn_write_opts* (*write_opts_new)(burn_drive*);
    void (*write_opts_free)(burn_write_opts*);
    int (*write_opts_set_write_type)(burn_write_opts*, burn_write_types, int);
    int (*write_opts_set_simulate)(burn_write_opts*, int);
    int (*precheck_write)(burn_write_opts*, burn_disc*, char*, int);
    void (*disc_write)(burn_write_opts*, burn_disc*);
    int (*msgs_obtain)(char*, int*, char*, int*, char*);
};

template <typename F>
bool bind(void* handle, const char* name, F& out)
{
    out = reinterpret_cast<F>(dlsym(handle, name));
    return out != nullptr;
}

LibburnApi& api()
{
    static LibburnApi a;
    static std::once_flag once;
    std::call_once(once, [] {
        const char* env = std::getenv("QUILLON_LIBBURN");
        void* h = dlopen(env && *env ? env : "libburn.so.4", RTLD_NOW | RTLD_LOCAL);
        if (!h)
            return;
        bool ok = true;
#define BIND(member, name) ok = bind(h, name, a.member) && ok
        BIND(initialize, "burn_initialize");
        BIND(set_signal_handling, "burn_set_signal_handling");
        BIND(msgs_set_severities, "burn_msgs_set_severities");
        BIND(drive_scan, "burn_drive_scan");
        BIND(drive_info_forget, "burn_drive_info_forget");
        BIND(drive_info_free, "burn_drive_info_free");
        BIND(drive_scan_and_grab, "burn_drive_scan_and_grab");
        BIND(drive_get_adr, "burn_drive_get_adr");
        BIND(drive_get_speedlist, "burn_drive_get_speedlist");
        BIND(drive_free_speedlist, "burn_drive_free_speedlist");
        BIND(disc_get_status, "burn_disc_get_status");
        BIND(disc_erasable, "burn_disc_erasable");
        BIND(disc_erase, "burn_disc_erase");
        BIND(drive_get_status, "burn_drive_get_status");
        BIND(drive_wrote_well, "burn_drive_wrote_well");
        BIND(drive_cancel, "burn_drive_cancel");
        BIND(drive_release, "burn_drive_release");
        BIND(drive_set_speed, "burn_drive_set_speed");
        BIND(disc_available_space, "burn_disc_available_space");
        BIND(disc_create, "burn_disc_create");
        BIND(disc_free, "burn_disc_free");
        BIND(session_create, "burn_session_create");
        BIND(session_free, "burn_session_free");
        BIND(disc_add_session, "burn_disc_add_session");
        BIND(track_create, "burn_track_create");
        BIND(track_free, "burn_track_free");
        BIND(track_define_data, "burn_track_define_data");
        BIND(track_set_source, "burn_track_set_source");
        BIND(track_set_pregap_size, "burn_track_set_pregap_size");
        BIND(track_set_index, "burn_track_set_index");
        BIND(track_set_cdtext, "burn_track_set_cdtext");
        BIND(session_set_cdtext, "burn_session_set_cdtext");
        BIND(session_add_track, "burn_session_add_track");
        BIND(track_set_isrc_string, "burn_track_set_isrc_string");
        BIND(write_opts_set_mediacatalog, "burn_write_opts_set_mediacatalog");
        BIND(write_opts_set_has_mediacatalog, "burn_write_opts_set_has_mediacatalog");
        BIND(source_free, "burn_source_free");
        BIND(write_opts_new, "burn_write_opts_new");
        BIND(write_opts_free, "burn_write_opts_free");
        BIND(write_opts_set_write_type, "burn_write_opts_set_write_type");
        BIND(write_opts_set_simulate, "burn_write_opts_set_simulate");
        BIND(precheck_write, "burn_precheck_write");
        BIND(disc_write, "burn_disc_write");
        BIND(msgs_obtain, "burn_msgs_obtain");
#undef BIND
        // The signal handling stays the program's: whatever libburn installs while it
        // starts up is put back (its handlers would end or stall the whole program on a
        // signal, a child process's SIGCHLD included).
        struct sigaction saved[NSIG];
        for (int sig = 1; sig < NSIG; ++sig)
            sigaction(sig, nullptr, &saved[sig]);
        const bool started = ok && a.initialize() == 1;
        if (started)
            a.set_signal_handling(nullptr, nullptr, 1); // no handlers of libburn's, now or later
        for (int sig = 1; sig < NSIG; ++sig)
            if (sig != SIGKILL && sig != SIGSTOP)
                sigaction(sig, &saved[sig], nullptr);
        if (!started) {
            dlclose(h);
            return;
        }
        char never[] = "NEVER", fatal[] = "FATAL", prefix[] = "libburn: ";
        a.msgs_set_severities(never, fatal, prefix);
        a.ready = true;
    });
    return a;
}

// The most serious message libburn has queued, for the user.
std::string libburnMessage()
{
    std::string text;
    char minimum[] = "SORRY";
    char message[BURN_MSGS_MESSAGE_LEN] = {};
    char severity[80] = {};
    int code = 0, os = 0;
    while (api().msgs_obtain(minimum, &code, message, &os, severity) > 0)
        text = message;
    return text;
}

constexpr double kOneX = 176.4; // kB/s of single speed

void copyField(char* dest, size_t size, const std::string& text)
{
    const size_t n = std::min(size - 1, text.size());
    std::memcpy(dest, text.data(), n);
    dest[n] = '\0';
}

std::string trimmed(const char* field, size_t size)
{
    std::string s(field, strnlen(field, size));
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// Reads the stretch [from, to) of the disc, in blocks of the image layout, as libburn
// asks for it: a pregap from the previous track's file, a track's own file, padding.
struct LayoutSource {
    const DiscLayout* layout;
    int64_t position; // bytes from the layout's block 0
    int64_t end;
    size_t track = SIZE_MAX;
    FILE* file = nullptr;
    bool failed = false;

    int read(unsigned char* buffer, int size)
    {
        const int64_t n = std::min<int64_t>(size, end - position);
        if (n <= 0)
            return 0;
        std::memset(buffer, 0, size_t(n));
        int64_t done = 0;
        while (done < n) {
            const int64_t at = position + done;
            int64_t chunk = n - done;
            // Which file's data covers `at`, if any.
            for (size_t i = 0; i < layout->tracks.size(); ++i) {
                const LayoutTrack& t = layout->tracks[i];
                const int64_t first = t.start * kBlockBytes;
                const int64_t dataEnd = first + int64_t(t.source.dataBytes);
                if (at < first) {
                    chunk = std::min(chunk, first - at);
                    break;
                }
                if (at < dataEnd) {
                    chunk = std::min(chunk, dataEnd - at);
                    if (track != i) {
                        if (file)
                            std::fclose(file);
                        file = std::fopen(t.source.path.c_str(), "rb");
                        track = i;
                    }
                    if (!file || std::fseek(file, long(t.source.dataOffset + uint64_t(at - first)), SEEK_SET) != 0 ||
                        std::fread(buffer + done, 1, size_t(chunk), file) != size_t(chunk)) {
                        failed = true;
                        return -1;
                    }
                    break;
                }
            }
            done += chunk;
        }
        position += n;
        return int(n);
    }

    static int readCallback(burn_source* s, unsigned char* buffer, int size)
    {
        return static_cast<LayoutSource*>(s->data)->read(buffer, size);
    }
    static off_t sizeCallback(burn_source* s)
    {
        auto* self = static_cast<LayoutSource*>(s->data);
        return off_t(self->end - self->position);
    }
    static int setSizeCallback(burn_source*, off_t) { return 0; }
    static void freeCallback(burn_source* s)
    {
        auto* self = static_cast<LayoutSource*>(s->data);
        if (self->file)
            std::fclose(self->file);
        delete self;
    }
};

burn_source* layoutSource(const DiscLayout& layout, int64_t fromBlock, int64_t toBlock)
{
    // libburn frees the record itself with free() once the last reference goes.
    auto* s = static_cast<burn_source*>(std::calloc(1, sizeof(burn_source)));
    if (!s)
        return nullptr;
    s->refcount = 1;
    s->read = &LayoutSource::readCallback;
    s->get_size = &LayoutSource::sizeCallback;
    s->set_size = &LayoutSource::setSizeCallback;
    s->free_data = &LayoutSource::freeCallback;
    s->data = new LayoutSource{&layout, fromBlock * kBlockBytes, toBlock * kBlockBytes};
    return s;
}

class LibburnDevice : public BurnDevice {
public:
    LibburnDevice(burn_drive_info* info) : m_info(info), m_drive(info->drive) {}
    ~LibburnDevice() override
    {
        api().drive_release(m_drive, 0);
        api().drive_info_free(m_info);
    }

    int64_t capacityBlocks() override
    {
        const off_t bytes = api().disc_available_space(m_drive, nullptr);
        return bytes > 0 ? int64_t(bytes / 2048) : kCdr80Blocks;
    }

    int32_t erasingTime(int32_t method) override
    {
        if (api().disc_get_status(m_drive) == BURN_DISC_EMPTY)
            return VARDA_ERASE_NO_CDRW;
        if (!m_info->write_cdrw)
            return VARDA_ERASE_NOT_SUPPORTED;
        if (!api().disc_erasable(m_drive))
            return VARDA_ERASE_NOT_REWRITABLE;
        // libburn gives no estimate: a full erase writes the whole disc at about 4x, a
        // quick one only its table of contents.
        if (method == VARDA_ERASE_QUICK)
            return 90;
        return int32_t(std::ceil(double(capacityBlocks()) / (75.0 * 4.0)));
    }

    bool erase(int32_t method, std::string& error) override
    {
        if (erasingTime(method) < 0) {
            error = "The disc in the recorder cannot be erased.";
            return false;
        }
        api().disc_erase(m_drive, method == VARDA_ERASE_QUICK ? 1 : 0);
        waitIdle(nullptr);
        if (!api().drive_wrote_well(m_drive)) {
            error = "Erasing failed: " + libburnMessage();
            return false;
        }
        return true;
    }

    bool burn(const DiscLayout& layout, uint32_t flags, int32_t speed, BurnCallbacks& callbacks,
              std::string& error) override
    {
        for (int attempt = 0; api().disc_get_status(m_drive) == BURN_DISC_EMPTY; ++attempt) {
            if (attempt > 0 || callbacks.ask(VARDA_REQUEST_INSERT_MEDIUM, nullptr, VARDA_ANSWER_NO) != VARDA_ANSWER_NO) {
                error = "There is no writable disc in the recorder.";
                return false;
            }
        }
        if (api().disc_get_status(m_drive) != BURN_DISC_BLANK) {
            const bool erased = api().disc_erasable(m_drive) &&
                                callbacks.ask(VARDA_REQUEST_ERASE_BEFORE_WRITE, nullptr, VARDA_ANSWER_NO) ==
                                    VARDA_ANSWER_PROCEED;
            if (!erased || api().disc_get_status(m_drive) != BURN_DISC_BLANK) {
                error = "The disc in the recorder is not blank.";
                return false;
            }
        }
        if (flags & VARDA_BURN_SIMULATE) {
            callbacks.phase("Simulating");
            if (!write(layout, speed, true, callbacks, error))
                return false;
            if (callbacks.ask(VARDA_REQUEST_SIMULATION_DONE, nullptr, VARDA_ANSWER_PROCEED) != VARDA_ANSWER_PROCEED) {
                error = "The simulation ended; nothing was recorded.";
                return false;
            }
        }
        callbacks.phase("Writing");
        return write(layout, speed, false, callbacks, error);
    }

private:
    bool write(const DiscLayout& layout, int32_t speed, bool simulate, BurnCallbacks& callbacks, std::string& error)
    {
        LibburnApi& a = api();
        burn_disc* disc = a.disc_create();
        burn_session* session = a.session_create();
        a.disc_add_session(disc, session, BURN_POS_END);
        if (layout.hasText()) {
            setText(session, nullptr, layout.title, layout.artist);
        }
        bool ok = true;
        for (size_t i = 0; i < layout.tracks.size() && ok; ++i) {
            const LayoutTrack& t = layout.tracks[i];
            burn_track* track = a.track_create();
            a.track_define_data(track, 0, 0, 1, BURN_AUDIO);
            // The first pause is silence libburn adds; any other pause is the end of the
            // previous file, read from the source as this track's index 0.
            const int64_t from = i == 0 ? t.start : t.index0;
            if (i == 0)
                a.track_set_pregap_size(track, int(kFirstPregap + layout.leadingSilence), 0);
            burn_source* source = layoutSource(layout, from, t.end);
            ok = source && a.track_set_source(track, source) == BURN_SOURCE_OK;
            if (source)
                a.source_free(source);
            int number = t.start > from ? 0 : 1;
            if (number == 0)
                ok = ok && a.track_set_index(track, number++, 0, 0) > 0;
            ok = ok && a.track_set_index(track, number++, unsigned(t.start - from), 0) > 0;
            for (int64_t index : t.indexes)
                ok = ok && a.track_set_index(track, number++, unsigned(index - from), 0) > 0;
            if (layout.hasText())
                setText(nullptr, track, t.title, t.artist);
            if (!t.isrc.empty()) {
                char isrc[13] = {};
                t.isrc.copy(isrc, 12);
                ok = ok && a.track_set_isrc_string(track, isrc, 0) > 0;
            }
            a.session_add_track(session, track, BURN_POS_END);
            a.track_free(track);
        }
        a.session_free(session);
        if (!ok) {
            error = "The disc could not be laid out for the recorder: " + libburnMessage();
            a.disc_free(disc);
            return false;
        }
        burn_write_opts* opts = a.write_opts_new(m_drive);
        a.write_opts_set_write_type(opts, BURN_WRITE_SAO, BURN_BLOCK_SAO);
        a.write_opts_set_simulate(opts, simulate ? 1 : 0);
        if (!layout.catalog.empty()) {
            unsigned char catalog[13];
            layout.catalog.copy(reinterpret_cast<char*>(catalog), 13);
            a.write_opts_set_mediacatalog(opts, catalog);
            a.write_opts_set_has_mediacatalog(opts, 1);
        }
        a.drive_set_speed(m_drive, 0, speed > 0 ? int(std::lround(speed * kOneX)) : 0);
        char reasons[BURN_REASONS_LEN] = {};
        if (a.precheck_write(opts, disc, reasons, 1) <= 0) {
            std::string why = reasons;
            while (!why.empty() && (why.back() == ' ' || why.back() == ','))
                why.pop_back();
            error = "The recorder refuses the disc: " + why + ".";
            a.write_opts_free(opts);
            a.disc_free(disc);
            return false;
        }
        a.disc_write(opts, disc);
        const bool carriedOn = waitIdle(&callbacks);
        const bool wroteWell = a.drive_wrote_well(m_drive) > 0;
        a.write_opts_free(opts);
        a.disc_free(disc);
        if (!carriedOn) {
            error = "The burn was cancelled.";
            return false;
        }
        if (!wroteWell) {
            const std::string why = libburnMessage();
            error = "Writing the disc failed" + (why.empty() ? std::string(".") : ": " + why);
            return false;
        }
        return true;
    }

    void setText(burn_session* session, burn_track* track, const std::string& title, const std::string& artist)
    {
        char titleName[] = "TITLE", performerName[] = "PERFORMER";
        auto put = [&](char* name, int type, const std::string& text) {
            std::string payload = text;
            payload.push_back('\0');
            auto* bytes = reinterpret_cast<unsigned char*>(payload.data());
            if (session)
                api().session_set_cdtext(session, 0, type, name, bytes, int(payload.size()), 0);
            else
                api().track_set_cdtext(track, 0, type, name, bytes, int(payload.size()), 0);
        };
        put(titleName, 0x80, title);
        put(performerName, 0x81, artist);
    }

    // Polls the drive until it is idle again; false when the program asked to stop
    // (the drive is then cancelled and waited for).
    bool waitIdle(BurnCallbacks* callbacks)
    {
        bool carryOn = true;
        for (;;) {
            burn_progress p{};
            if (api().drive_get_status(m_drive, &p) == BURN_DRIVE_IDLE)
                return carryOn;
            if (callbacks && carryOn) {
                const int percent = p.sectors > 0 ? int(int64_t(p.sector) * 100 / p.sectors) : 0;
                if (!callbacks->report(std::clamp(percent, 0, 100))) {
                    carryOn = false;
                    api().drive_cancel(m_drive);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    burn_drive_info* m_info;
    burn_drive* m_drive;
};

} // namespace

std::vector<VardaDriveEntry> LibburnDrives::scan()
{
    std::vector<VardaDriveEntry> entries;
    LibburnApi& a = api();
    if (!a.ready)
        return entries;
    burn_drive_info* infos = nullptr;
    unsigned int count = 0;
    // The scan runs in a thread of libburn's own and answers 0 until it is complete; it
    // must be asked again until then, or its thread writes the results into this frame
    // after it has returned.
    int scanned = 0;
    while ((scanned = a.drive_scan(&infos, &count)) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (scanned < 0 || !infos)
        return entries;
    for (unsigned int i = 0; i < count; ++i) {
        burn_drive_info& info = infos[i];
        VardaDriveEntry e{};
        copyField(e.name, sizeof e.name,
                  trimmed(info.vendor, sizeof info.vendor) + " " + trimmed(info.product, sizeof info.product));
        char address[BURN_DRIVE_ADR_LEN] = {};
        a.drive_get_adr(&info, address);
        copyField(e.address, sizeof e.address, address);
        if (info.write_cdr)
            e.capabilities |= VARDA_CAP_WRITE_CDR | VARDA_CAP_AUDIO | VARDA_CAP_CDTEXT;
        if (info.write_cdrw)
            e.capabilities |= VARDA_CAP_WRITE_CDRW;
        if (info.write_simulate)
            e.capabilities |= VARDA_CAP_SIMULATE;
        burn_speed_descriptor* list = nullptr;
        if (a.drive_get_speedlist(info.drive, &list) > 0) {
            for (burn_speed_descriptor* s = list; s && e.speedCount < VARDA_MAX_SPEEDS; s = s->next) {
                if (s->write_speed <= 0)
                    continue;
                const int multiple = int(std::lround(s->write_speed / kOneX));
                bool known = false;
                for (int k = 0; k < e.speedCount; ++k)
                    known = known || e.speedMultiples[k] == multiple;
                if (known || multiple <= 0)
                    continue;
                e.speedMultiples[e.speedCount] = multiple;
                e.speedsKBps[e.speedCount] = s->write_speed;
                ++e.speedCount;
            }
            a.drive_free_speedlist(&list);
        }
        entries.push_back(e);
        // Scanned drives stay locked against other programs until forgotten.
        a.drive_info_forget(&info, 0);
    }
    a.drive_info_free(infos);
    return entries;
}

std::unique_ptr<BurnDevice> LibburnDrives::open(const std::string& address, std::string& error)
{
    if (!api().ready) {
        error = "The recorder " + address + " cannot be reached: libburn is not installed.";
        return nullptr;
    }
    burn_drive_info* info = nullptr;
    std::string adr = address;
    if (api().drive_scan_and_grab(&info, adr.data(), 1) <= 0 || !info) {
        const std::string why = libburnMessage();
        error = "The recorder " + address + " cannot be opened" + (why.empty() ? "." : ": " + why);
        return nullptr;
    }
    return std::make_unique<LibburnDevice>(info);
}

} // namespace varda
