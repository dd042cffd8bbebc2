#include "platform/FlacCheck.h"

#include <FLAC/stream_decoder.h>

namespace {

struct FlacScan {
    SDL_RWops* source = nullptr;
    int streamInfoBlocks = 0;
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

FLAC__StreamDecoderSeekStatus SeekSource(const FLAC__StreamDecoder*, FLAC__uint64 offset, void* data)
{
    auto* scan = static_cast<FlacScan*>(data);
    bool moved = SDL_RWseek(scan->source, static_cast<Sint64>(offset), RW_SEEK_SET) >= 0;
    return moved ? FLAC__STREAM_DECODER_SEEK_STATUS_OK : FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
}

FLAC__StreamDecoderTellStatus TellSource(const FLAC__StreamDecoder*, FLAC__uint64* offset, void* data)
{
    auto* scan = static_cast<FlacScan*>(data);
    Sint64 at = SDL_RWtell(scan->source);
    if (at < 0)
        return FLAC__STREAM_DECODER_TELL_STATUS_ERROR;
    *offset = static_cast<FLAC__uint64>(at);
    return FLAC__STREAM_DECODER_TELL_STATUS_OK;
}

FLAC__StreamDecoderLengthStatus SourceLength(const FLAC__StreamDecoder*, FLAC__uint64* length, void* data)
{
    auto* scan = static_cast<FlacScan*>(data);
    Sint64 size = SDL_RWsize(scan->source);
    if (size < 0)
        return FLAC__STREAM_DECODER_LENGTH_STATUS_ERROR;
    *length = static_cast<FLAC__uint64>(size);
    return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
}

FLAC__bool SourceAtEnd(const FLAC__StreamDecoder*, void* data)
{
    auto* scan = static_cast<FlacScan*>(data);
    return SDL_RWtell(scan->source) >= SDL_RWsize(scan->source);
}

FLAC__StreamDecoderWriteStatus CheckFrame(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                          const FLAC__int32* const[], void* data)
{
    auto* scan = static_cast<FlacScan*>(data);
    scan->sawFrame = true;
    if (scan->streamInfoBlocks == 0 || frame->header.channels != scan->channels ||
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
        ++scan->streamInfoBlocks;
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
    // The same callbacks the mixer gives, so that the metadata is read the
    // way the mixer will read it.
    bool readable = FLAC__stream_decoder_init_stream(decoder, ReadSource, SeekSource, TellSource,
                                                     SourceLength, SourceAtEnd, CheckFrame,
                                                     NoteMetadata, IgnoreDecodeError, &scan) ==
                    FLAC__STREAM_DECODER_INIT_STATUS_OK;
    readable = readable && FLAC__stream_decoder_process_until_end_of_metadata(decoder);
    if (readable)
        FLAC__stream_decoder_process_until_end_of_stream(decoder);
    FLAC__stream_decoder_delete(decoder);
    return readable && scan.streamInfoBlocks == 1 && scan.sawFrame && scan.framesMatch &&
           !scan.emptyComment;
}
