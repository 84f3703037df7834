# Empty compiler generated dependencies file for ferlang_runtime.
# This may be replaced when dependencies are built.
