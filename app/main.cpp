// The program's entry point; the poll application is built here as it lands.
int main() { return 0; }
