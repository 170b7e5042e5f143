#include <DisplayServer.h>

DisplayBackend*
create_sdl_backend()
{
	return NULL;
}
