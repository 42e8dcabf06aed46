#pragma once

#include "FileMetadata.h"

namespace tolvane {

class ReadOnlyFile;

// Artist, album, title, genre, year and track of an audio file, through TagLib: any
// format it reads (MP3, FLAC, Ogg, Opus, M4A, WMA, WAV, AIFF, ...), found by the
// file's extension or its content. Anything else, or a file too damaged to read,
// gives empty values; nothing throws.
AudioTags ReadAudioTags(ReadOnlyFile& file);

}  // namespace tolvane
