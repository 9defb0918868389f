// Links one layer of the core whole: a call into a higher layer fails here.
int main() { return 0; }
