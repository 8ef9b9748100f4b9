// Reading a whole number kept as text (registry string or imported INI value).
#ifndef PRODLE_SETTINGS_RULES_STORED_INT_H
#define PRODLE_SETTINGS_RULES_STORED_INT_H

// Reads a leading decimal number the way "%d" does: white space is skipped,
// an optional + or - may come next, then at least one digit; whatever follows
// the digits is ignored ("  7 minutes" -> 7). Returns false when no number
// begins the text (null, empty, letters, a sign alone); *value is then left as
// it was. A number beyond the int range is clamped to INT_MIN or INT_MAX
// rather than wrapped, so an absurd stored value cannot turn into its opposite.
bool ScanStoredInt(const char* text, int* value);

// The white space that scanning a number skips: the C locale's, spelled out so that neither the
// locale nor the signedness of char can change the answer.
bool IsScanSpace(char c);

#endif
