// Filled in by the module's own work.
