// Only here to compile the precompiled headers of the test programs.
