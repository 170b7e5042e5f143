#include <PictureResources.h>

#include <string.h>

#include <mutex>
#include <string>
#include <vector>

namespace {

struct Picture {
	const char* name;
	const unsigned char* data;
	size_t size;
};

// Registered from static constructors, so built on first use.
std::vector<Picture>&
pictures()
{
	static std::vector<Picture> sPictures;
	return sPictures;
}

std::mutex&
pictures_lock()
{
	static std::mutex sLock;
	return sLock;
}

} // namespace

extern "C" void
_murmelo_register_picture(const char* name, const unsigned char* data, size_t size)
{
	std::lock_guard<std::mutex> guard(pictures_lock());
	pictures().push_back(Picture{name, data, size});
}

bool
find_picture_resource(const char* name, const unsigned char** data, size_t* size)
{
	std::lock_guard<std::mutex> guard(pictures_lock());
	for (const Picture& picture : pictures()) {
		if (strcmp(picture.name, name) == 0) {
			*data = picture.data;
			*size = picture.size;
			return true;
		}
	}
	return false;
}
