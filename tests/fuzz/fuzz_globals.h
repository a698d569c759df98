#pragma once

// The program's globals as the fuzz targets need them: built once, with the
// data files in a temporary folder and logging off.

// Once per process.
void FuzzGlobalsOnce();
// A fresh data set with one server, the user's organizer 501 and an active
// user, as after a sign-in.
void FreshDataSet();
