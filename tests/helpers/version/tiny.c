/* An executable that does nothing: a carrier for the version resources of the tests. */
int main(void) { return 0; }
