// Saving pages (filled in below).
