/* A shared object that is not a resource library: it lacks the lookup. */
int qzt_not_a_resource_table(void) { return 0; }
