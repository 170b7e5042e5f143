#include <DataIO.h>

#include <stdio.h>

ssize_t
BPositionIO::Read(void* buffer, size_t size)
{
	off_t position = Position();
	ssize_t result = ReadAt(position, buffer, size);
	if (result > 0)
		Seek(position + result, SEEK_SET);
	return result;
}

ssize_t
BPositionIO::Write(const void* buffer, size_t size)
{
	off_t position = Position();
	ssize_t result = WriteAt(position, buffer, size);
	if (result > 0)
		Seek(position + result, SEEK_SET);
	return result;
}

status_t
BPositionIO::SetSize(off_t)
{
	return B_ERROR;
}

status_t
BPositionIO::GetSize(off_t* size) const
{
	if (size == NULL)
		return B_BAD_VALUE;
	BPositionIO* self = const_cast<BPositionIO*>(this);
	off_t current = Position();
	*size = self->Seek(0, SEEK_END);
	self->Seek(current, SEEK_SET);
	return *size < 0 ? (status_t)*size : B_OK;
}
