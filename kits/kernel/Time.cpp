#include <OS.h>

#include <errno.h>
#include <time.h>
#include <unistd.h>

bigtime_t
system_time(void)
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return (bigtime_t)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

bigtime_t
real_time_clock_usecs(void)
{
	struct timespec now;
	clock_gettime(CLOCK_REALTIME, &now);
	return (bigtime_t)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

uint32
real_time_clock(void)
{
	return (uint32)(real_time_clock_usecs() / 1000000);
}

status_t
snooze(bigtime_t microseconds)
{
	if (microseconds <= 0)
		return B_OK;
	struct timespec delay;
	delay.tv_sec = microseconds / 1000000;
	delay.tv_nsec = (microseconds % 1000000) * 1000;
	while (nanosleep(&delay, &delay) != 0) {
		if (errno != EINTR)
			return B_ERROR;
	}
	return B_OK;
}

status_t
snooze_until(bigtime_t time, int)
{
	return snooze(time - system_time());
}

team_id
current_team(void)
{
	return (team_id)getpid();
}
