// Keeps a library non-empty while its folders have no sources of that kind.
