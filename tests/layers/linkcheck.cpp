// Linked with all objects of one library and only its declared dependencies.
int main() { return 0; }
