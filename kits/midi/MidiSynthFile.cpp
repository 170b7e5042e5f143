#include <MidiSynthFile.h>

#include <Entry.h>
#include <MediaDefs.h>
#include <SoundPlayer.h>

#include "MidiFileInfo.h"
#include "SynthEngine.h"

#include <errno.h>
#include <stdio.h>
#include <sys/stat.h>

#include <vector>

using namespace BPrivate;

namespace {

const float kFrameRate = 44100.0f;
const size_t kBufferFrames = 1024;
// MIDI files are small; anything this big is not one.
const off_t kMaxFileSize = 16 * 1024 * 1024;
const bigtime_t kFadeTime = 1000000;
// Louder than this only clips.
const double kMaxVolume = 4.0;

status_t
read_file(const char* path, std::vector<uint8>& into)
{
	FILE* file = fopen(path, "rb");
	if (file == NULL)
		return be_error_from_errno(errno);
	struct stat st;
	status_t status = B_OK;
	if (fstat(fileno(file), &st) != 0)
		status = be_error_from_errno(errno);
	else if (S_ISDIR(st.st_mode))
		status = B_IS_A_DIRECTORY;
	else if (st.st_size > kMaxFileSize)
		status = B_BAD_MIDI_DATA;
	else {
		into.resize((size_t)st.st_size);
		if (fread(into.data(), 1, into.size(), file) != into.size())
			status = B_IO_ERROR;
	}
	fclose(file);
	return status;
}

} // namespace

BMidiSynthFile::BMidiSynthFile()
{
}

BMidiSynthFile::~BMidiSynthFile()
{
	// The player goes first: its thread renders from the engine.
	delete fPlayer;
	delete fEngine;
}

status_t
BMidiSynthFile::LoadFile(const entry_ref* midiEntryRef)
{
	if (midiEntryRef == NULL)
		return B_BAD_VALUE;
	BEntry entry(midiEntryRef, true);
	if (entry.InitCheck() != B_OK)
		return entry.InitCheck();
	if (!entry.Exists())
		return B_ENTRY_NOT_FOUND;

	std::vector<uint8> bytes;
	status_t status = read_file(entry.HostPath(), bytes);
	if (status != B_OK)
		return status;
	// A bad file is told apart from a missing sound font.
	MidiFileInfo info;
	status = info.SetTo(bytes.data(), bytes.size());
	if (status != B_OK)
		return status;

	if (fEngine == NULL) {
		fEngine = new SynthEngine(kFrameRate);
		fEngine->SetVolume((float)fVolume);
	}
	if (fEngine->InitCheck() != B_OK)
		return fEngine->InitCheck();
	Stop();
	status = fEngine->Load(bytes.data(), bytes.size());
	if (status == B_OK)
		fDuration = info.totalTicks;
	return status;
}

void
BMidiSynthFile::UnloadFile()
{
	Stop();
	if (fEngine != NULL)
		fEngine->Unload();
	fDuration = 0;
}

status_t
BMidiSynthFile::Start()
{
	if (fEngine == NULL || !fEngine->IsLoaded())
		return B_NO_INIT;
	status_t status = fEngine->Start(fLooping);
	if (status != B_OK)
		return status;
	if (fPlayer == NULL) {
		media_raw_audio_format format = {};
		format.frame_rate = kFrameRate;
		format.channel_count = 2;
		format.format = media_raw_audio_format::B_AUDIO_FLOAT;
		format.byte_order = B_MEDIA_HOST_ENDIAN;
		format.buffer_size = kBufferFrames * 2 * sizeof(float);
		fPlayer = new BSoundPlayer(&format, "MIDI synthesizer", _PlayBuffer, NULL, this);
	}
	return fPlayer->Start();
}

void
BMidiSynthFile::Stop()
{
	if (fEngine != NULL)
		fEngine->Stop();
	if (fPlayer != NULL)
		fPlayer->Stop();
}

void
BMidiSynthFile::Fade()
{
	if (fEngine != NULL)
		fEngine->Fade((size_t)(kFadeTime * kFrameRate / 1000000));
}

void
BMidiSynthFile::Pause()
{
	if (fEngine != NULL)
		fEngine->SetPaused(true);
}

void
BMidiSynthFile::Resume()
{
	if (fEngine != NULL)
		fEngine->SetPaused(false);
}

int32
BMidiSynthFile::Duration() const
{
	return fDuration;
}

int32
BMidiSynthFile::Position(int32 ticks) const
{
	if (fEngine == NULL)
		return 0;
	fEngine->SeekTick(ticks);
	return fEngine->CurrentTick();
}

int32
BMidiSynthFile::Seek()
{
	return fEngine != NULL ? fEngine->CurrentTick() : 0;
}

void
BMidiSynthFile::SetFileHook(synth_file_hook hook, int32 arg)
{
	std::lock_guard<std::mutex> lock(fHookLock);
	fHook = hook;
	fHookArg = arg;
}

bool
BMidiSynthFile::IsFinished() const
{
	return fEngine == NULL || fEngine->IsFinished();
}

void
BMidiSynthFile::EnableLooping(bool loop)
{
	fLooping = loop;
	if (fEngine != NULL)
		fEngine->SetLooping(loop);
}

void
BMidiSynthFile::SetVolume(double volume)
{
	fVolume = volume > 0 ? (volume < kMaxVolume ? volume : kMaxVolume) : 0;
	if (fEngine != NULL)
		fEngine->SetVolume((float)fVolume);
}

double
BMidiSynthFile::Volume() const
{
	return fVolume;
}

void
BMidiSynthFile::_PlayBuffer(void* cookie, void* buffer, size_t size,
	const media_raw_audio_format& /*format*/)
{
	BMidiSynthFile* file = static_cast<BMidiSynthFile*>(cookie);
	if (!file->fEngine->Render(static_cast<float*>(buffer), size / (2 * sizeof(float))))
		return;
	synth_file_hook hook;
	int32 arg;
	{
		std::lock_guard<std::mutex> lock(file->fHookLock);
		hook = file->fHook;
		arg = file->fHookArg;
	}
	if (hook != NULL)
		hook(arg);
}
