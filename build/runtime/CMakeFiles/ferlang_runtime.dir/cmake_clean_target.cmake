file(REMOVE_RECURSE
  "libferlang_runtime.a"
)
