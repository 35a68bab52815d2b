/* A test sound device for ALSA: a pcm that moves samples at the real-time rate of its
 * configured sample rate and discards (playback) or produces silence (capture) - the null
 * device, paced like hardware. Under the `file` plugin it gives tests real-time playback
 * into a raw file and capture from one.
 *
 *   pcm.paced { type quillon_paced  fail_after FRAMES  fail_mode "stall"|"error" }
 *
 * fail_after makes the device fail once that many frames have moved: "stall" stops the
 * clock for good (a device that hangs), "error" reports an I/O error (a device that is
 * gone). The clock never runs ahead of the application: when the other side falls
 * behind, the device waits for it instead of running dry, so the timing of a slow test
 * machine does not change what lands in the file. */
#include <alsa/asoundlib.h>
#include <alsa/pcm_external.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>
#include <string.h>
#include <stdlib.h>
#include <errno.h>
#include <stdint.h>

typedef struct {
    snd_pcm_ioplug_t io;
    int timer;
    int running;
    struct timespec start;
    uint64_t base;      /* frames done when the clock was last started */
    uint64_t done;      /* frames moved since prepare */
    uint64_t total;     /* frames moved since open; prepare does not undo a failure */
    long long failAfter; /* -1: never */
    int failWithError;
} Paced;

static int hasFailed(const Paced* p)
{
    return p->failAfter >= 0 && p->total >= (uint64_t)p->failAfter;
}

static double secondsSince(const struct timespec* t0)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)(now.tv_sec - t0->tv_sec) + (double)(now.tv_nsec - t0->tv_nsec) * 1e-9;
}

static int pacedStart(snd_pcm_ioplug_t* io)
{
    Paced* p = io->private_data;
    if (hasFailed(p) && p->failWithError)
        return -ENODEV;
    clock_gettime(CLOCK_MONOTONIC, &p->start);
    p->base = p->done;
    p->running = 1;
    return 0;
}

static int pacedStop(snd_pcm_ioplug_t* io)
{
    Paced* p = io->private_data;
    p->running = 0;
    return 0;
}

static int pacedPrepare(snd_pcm_ioplug_t* io)
{
    Paced* p = io->private_data;
    if (hasFailed(p) && p->failWithError)
        return -ENODEV;
    p->done = 0;
    p->base = 0;
    p->running = 0;
    return 0;
}

static snd_pcm_sframes_t pacedPointer(snd_pcm_ioplug_t* io)
{
    Paced* p = io->private_data;
    if (p->running) {
        uint64_t clock = p->base + (uint64_t)(secondsSince(&p->start) * io->rate);
        uint64_t allowed = clock > p->done ? clock - p->done : 0;
        snd_pcm_uframes_t limit;
        if (io->stream == SND_PCM_STREAM_PLAYBACK)
            limit = snd_pcm_ioplug_hw_avail(io, io->hw_ptr, io->appl_ptr);
        else
            limit = io->buffer_size - snd_pcm_ioplug_avail(io, io->hw_ptr, io->appl_ptr);
        if (limit >= io->buffer_size)
            limit = io->buffer_size - 1;
        if (p->failAfter >= 0 && !p->failWithError && p->total + limit > (uint64_t)p->failAfter)
            limit = (uint64_t)p->failAfter - p->total;
        if (allowed > limit) {
            /* The other side is behind: the clock waits for it instead of running away. */
            allowed = limit;
            p->base = p->done + allowed;
            clock_gettime(CLOCK_MONOTONIC, &p->start);
        }
        p->done += allowed;
        p->total += allowed;
    }
    return (snd_pcm_sframes_t)(p->done % io->buffer_size);
}

static snd_pcm_sframes_t pacedTransfer(snd_pcm_ioplug_t* io, const snd_pcm_channel_area_t* areas,
                                       snd_pcm_uframes_t offset, snd_pcm_uframes_t size)
{
    Paced* p = io->private_data;
    if (hasFailed(p) && p->failWithError)
        return -ENODEV;
    if (io->stream == SND_PCM_STREAM_CAPTURE)
        snd_pcm_areas_silence(areas, offset, io->channels, size, io->format);
    return (snd_pcm_sframes_t)size;
}

static int pacedPollRevents(snd_pcm_ioplug_t* io, struct pollfd* pfd, unsigned int nfds, unsigned short* revents)
{
    (void)nfds;

    uint64_t ticks;
    *revents = 0;
    if (pfd[0].revents & POLLIN) {
        if (read(pfd[0].fd, &ticks, sizeof ticks) < 0) { /* nothing to drain */ }
        *revents = io->stream == SND_PCM_STREAM_PLAYBACK ? POLLOUT : POLLIN;
    }
    return 0;
}

static int pacedClose(snd_pcm_ioplug_t* io)
{
    Paced* p = io->private_data;
    close(p->timer);
    free(p);
    return 0;
}

static const snd_pcm_ioplug_callback_t pacedCallbacks = {
    .start = pacedStart,
    .stop = pacedStop,
    .pointer = pacedPointer,
    .transfer = pacedTransfer,
    .close = pacedClose,
    .prepare = pacedPrepare,
    .poll_revents = pacedPollRevents,
};

SND_PCM_PLUGIN_DEFINE_FUNC(quillon_paced)
{
    (void)root;
    long long failAfter = -1;
    int failWithError = 0;
    snd_config_iterator_t i, next;
    snd_config_for_each(i, next, conf) {
        snd_config_t* n = snd_config_iterator_entry(i);
        const char* id;
        if (snd_config_get_id(n, &id) < 0)
            continue;
        if (!strcmp(id, "comment") || !strcmp(id, "type") || !strcmp(id, "hint"))
            continue;
        if (!strcmp(id, "fail_after")) {
            long v;
            if (snd_config_get_integer(n, &v) < 0) return -EINVAL;
            failAfter = v;
            continue;
        }
        if (!strcmp(id, "fail_mode")) {
            const char* s;
            if (snd_config_get_string(n, &s) < 0) return -EINVAL;
            failWithError = !strcmp(s, "error");
            continue;
        }
        SNDERR("Unknown field %s", id);
        return -EINVAL;
    }

    Paced* p = calloc(1, sizeof *p);
    if (!p)
        return -ENOMEM;
    p->failAfter = failAfter;
    p->failWithError = failWithError;
    p->timer = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    struct itimerspec tick = {{0, 2000000}, {0, 2000000}};
    timerfd_settime(p->timer, 0, &tick, NULL);
    p->io.version = SND_PCM_IOPLUG_VERSION;
    p->io.name = "paced null device";
    p->io.callback = &pacedCallbacks;
    p->io.private_data = p;
    p->io.poll_fd = p->timer;
    p->io.poll_events = POLLIN;
    p->io.mmap_rw = 0;
    int err = snd_pcm_ioplug_create(&p->io, name, stream, mode);
    if (err < 0) {
        close(p->timer);
        free(p);
        return err;
    }
    static const unsigned int access[] = {SND_PCM_ACCESS_RW_INTERLEAVED, SND_PCM_ACCESS_MMAP_INTERLEAVED};
    static const unsigned int formats[] = {SND_PCM_FORMAT_U8, SND_PCM_FORMAT_S16_LE, SND_PCM_FORMAT_S24_3LE,
                                           SND_PCM_FORMAT_S32_LE, SND_PCM_FORMAT_FLOAT_LE};
    snd_pcm_ioplug_set_param_list(&p->io, SND_PCM_IOPLUG_HW_ACCESS, 2, access);
    snd_pcm_ioplug_set_param_list(&p->io, SND_PCM_IOPLUG_HW_FORMAT, 5, formats);
    snd_pcm_ioplug_set_param_minmax(&p->io, SND_PCM_IOPLUG_HW_CHANNELS, 1, 32);
    snd_pcm_ioplug_set_param_minmax(&p->io, SND_PCM_IOPLUG_HW_RATE, 4000, 192000);
    snd_pcm_ioplug_set_param_minmax(&p->io, SND_PCM_IOPLUG_HW_PERIOD_BYTES, 64, 1 << 20);
    snd_pcm_ioplug_set_param_minmax(&p->io, SND_PCM_IOPLUG_HW_PERIODS, 2, 64);
    snd_pcm_ioplug_set_param_minmax(&p->io, SND_PCM_IOPLUG_HW_BUFFER_BYTES, 128, 4 << 20);
    *pcmp = p->io.pcm;
    return 0;
}
SND_PCM_PLUGIN_SYMBOL(quillon_paced);
