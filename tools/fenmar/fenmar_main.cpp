// fenmar: the HBA query tool. Its listing is not in this build yet.
int main() { return 0; }
