// Placeholder: filled in by the report work.
