// Display connections whose X server went away. Xlib's own handling of a
// broken connection prints a line and ends the process from inside whatever
// call found the break; a watched connection instead lets that call return
// and is marked lost, so that the program closes its windows and goes on.
#pragma once

#include <string>

struct _XDisplay;

namespace orvy::linux_platform::detail {

// Installs the handlers on a freshly opened connection (any thread). The
// connection's name is kept for the report, read before anything can break.
void watch_connection(_XDisplay* display);
// Marks a watched connection lost as Xlib would have on reading from it:
// its socket hung up, and Xlib, with nothing left to read, may not look.
void mark_connection_hung_up(_XDisplay* display);
// Whether the connection broke. No Xlib call may touch it afterwards: Xlib
// would report the break again, or read an event that never came.
bool connection_lost(_XDisplay* display);
// The words for the break, naming the display; empty while it holds.
std::string connection_loss_words(_XDisplay* display);
// Stops watching a connection about to be closed in order.
void forget_connection(_XDisplay* display);

}
