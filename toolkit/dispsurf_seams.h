// Seams of the display surface that only tests use. The product never sets them.
#pragma once

// When non-zero, the DIB-section probe reports failure as if the platform had answered
// ERROR_CALL_NOT_IMPLEMENTED, so that the WinG path can be exercised.
extern int SURFACE_TestFailDibProbe;
