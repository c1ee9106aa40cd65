# qzt_add_resource_library(NAME FILES file... ) is defined by resources/.
