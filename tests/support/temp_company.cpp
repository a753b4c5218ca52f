// Temporary company databases for the tests (filled in with the store).
