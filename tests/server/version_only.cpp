// an otherwise empty module that carries a version resource
int VersionOnlyModule() {
  return 0;
}
