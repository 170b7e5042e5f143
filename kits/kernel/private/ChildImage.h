#ifndef _CHILD_IMAGE_H
#define _CHILD_IMAGE_H

#include <OS.h>

// Between the thread calls and the child processes of load_image(): both
// share one id space, and resume_thread()/wait_for_thread() take either.
namespace BPrivate {

thread_id next_thread_id();
// B_BAD_THREAD_ID when the id is no child image.
status_t resume_child(thread_id image);
status_t wait_for_child(thread_id image, status_t* exitValue);

} // namespace BPrivate

#endif
