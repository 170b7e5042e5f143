// The geometry fields of BMessage live here, so that programs without the
// interface kit need not know BPoint and BRect.
#include <Message.h>
#include <Point.h>
#include <Rect.h>

#include <string.h>

status_t
BMessage::AddRect(const char* name, BRect rect)
{
	return AddData(name, B_RECT_TYPE, &rect, sizeof(rect));
}

status_t
BMessage::AddPoint(const char* name, BPoint point)
{
	return AddData(name, B_POINT_TYPE, &point, sizeof(point));
}

template<typename T>
static status_t
find_value(const BMessage* message, const char* name, type_code type, int32 index, T* value)
{
	if (value == NULL)
		return B_BAD_VALUE;
	const void* data;
	ssize_t size;
	status_t status = message->FindData(name, type, index, &data, &size);
	if (status != B_OK)
		return status;
	if (size != (ssize_t)sizeof(T))
		return B_BAD_DATA;
	memcpy((void*)value, data, sizeof(T));
	return B_OK;
}

status_t
BMessage::FindRect(const char* name, BRect* rect) const
{
	return find_value(this, name, B_RECT_TYPE, 0, rect);
}

status_t
BMessage::FindRect(const char* name, int32 index, BRect* rect) const
{
	return find_value(this, name, B_RECT_TYPE, index, rect);
}

status_t
BMessage::FindPoint(const char* name, BPoint* point) const
{
	return find_value(this, name, B_POINT_TYPE, 0, point);
}

status_t
BMessage::FindPoint(const char* name, int32 index, BPoint* point) const
{
	return find_value(this, name, B_POINT_TYPE, index, point);
}

status_t
BMessage::ReplaceRect(const char* name, BRect rect)
{
	return ReplaceData(name, B_RECT_TYPE, 0, &rect, sizeof(rect));
}

status_t
BMessage::ReplaceRect(const char* name, int32 index, BRect rect)
{
	return ReplaceData(name, B_RECT_TYPE, index, &rect, sizeof(rect));
}

status_t
BMessage::ReplacePoint(const char* name, BPoint point)
{
	return ReplaceData(name, B_POINT_TYPE, 0, &point, sizeof(point));
}

status_t
BMessage::ReplacePoint(const char* name, int32 index, BPoint point)
{
	return ReplaceData(name, B_POINT_TYPE, index, &point, sizeof(point));
}
