// Preloaded into the audio helper by a test (LD_PRELOAD): every other drain of a stream is
// answered as soon as the sound server answers anything, before it has played what it was
// given, as PipeWire's PulseAudio service may answer one just after a cut.
#include <pulse/stream.h>

#include <atomic>
#include <dlfcn.h>

extern "C" pa_operation* pa_stream_drain(
    pa_stream* stream, pa_stream_success_cb_t done, void* userdata)
{
    static std::atomic<unsigned> drains = 0;
    if (drains++ % 2 == 0) // a timing request's answer stands in for the drain's
        return pa_stream_update_timing_info(stream, done, userdata);
    using Drain = pa_operation* (*)(pa_stream*, pa_stream_success_cb_t, void*);
    static const auto drain = reinterpret_cast<Drain>(dlsym(RTLD_NEXT, "pa_stream_drain"));
    return drain(stream, done, userdata);
}
