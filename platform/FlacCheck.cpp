#include "platform/FlacCheck.h"

#include <FLAC/stream_decoder.h>

namespace {

struct FlacScan {
    SDL_RWops* source = nullptr;
    bool sawStreamInfo = false;
    unsigned channels = 0;
    unsigned bitsPerSample = 0;
    bool framesMatch = true;
    bool sawFrame = false;
    bool emptyComment = false;
};

FLAC__StreamDecoderReadStatus ReadSource(const FLAC__StreamDecoder*, FLAC__byte buffer[],
                                         size_t* bytes, void* data)
{
    auto* scan = static_cast<FlacScan*>(data);
    *bytes = SDL_RWread(scan->source, buffer, 1, *bytes);
    return *bytes == 0 ? FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM
                       : FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
}

FLAC__StreamDecoderWriteStatus CheckFrame(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                          const FLAC__int32* const[], void* data)
{
    auto* scan = static_cast<FlacScan*>(data);
    scan->sawFrame = true;
    if (!scan->sawStreamInfo || frame->header.channels != scan->channels ||
        frame->header.bits_per_sample != scan->bitsPerSample) {
        scan->framesMatch = false;
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

bool HasEmptyComment(const FLAC__StreamMetadata_VorbisComment& comments)
{
    for (FLAC__uint32 i = 0; i < comments.num_comments; ++i)
        if (!comments.comments[i].entry)
            return true;
    return false;
}

void NoteMetadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata, void* data)
{
    auto* scan = static_cast<FlacScan*>(data);
    if (metadata->type == FLAC__METADATA_TYPE_STREAMINFO) {
        scan->sawStreamInfo = true;
        scan->channels = metadata->data.stream_info.channels;
        scan->bitsPerSample = metadata->data.stream_info.bits_per_sample;
    } else if (metadata->type == FLAC__METADATA_TYPE_VORBIS_COMMENT) {
        scan->emptyComment = scan->emptyComment || HasEmptyComment(metadata->data.vorbis_comment);
    }
}

// Damaged frames are skipped by the decoder, as they are in playback.
void IgnoreDecodeError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*)
{
}

} // namespace

bool FlacIsSafeForMixer(SDL_RWops* source)
{
    FLAC__StreamDecoder* decoder = FLAC__stream_decoder_new();
    if (!decoder)
        return false;
    FlacScan scan;
    scan.source = source;
    FLAC__stream_decoder_set_metadata_respond(decoder, FLAC__METADATA_TYPE_VORBIS_COMMENT);
    bool started = FLAC__stream_decoder_init_stream(decoder, ReadSource, nullptr, nullptr, nullptr,
                                                    nullptr, CheckFrame, NoteMetadata,
                                                    IgnoreDecodeError, &scan) ==
                   FLAC__STREAM_DECODER_INIT_STATUS_OK;
    if (started)
        FLAC__stream_decoder_process_until_end_of_stream(decoder);
    FLAC__stream_decoder_delete(decoder);
    return started && scan.sawFrame && scan.framesMatch && !scan.emptyComment;
}
