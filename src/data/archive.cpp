// Placeholder: filled in by the archive work.
