#pragma once
// Registration of the common controls. The progress bar lives there, and its class must be
// registered before a template that names "msctls_progress32" is instantiated.

// Registers the progress bar's window class and the standard classes of the common controls,
// once per process; later calls do nothing. Works with every version of the common controls.
void RegisterCommonControls();
