// Shared by every test executable: nothing but what all of them need.
