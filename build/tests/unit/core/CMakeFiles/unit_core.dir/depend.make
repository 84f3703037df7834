# Empty dependencies file for unit_core.
# This may be replaced when dependencies are built.
