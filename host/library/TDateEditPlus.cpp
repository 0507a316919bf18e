// Registers TDateEditPlus with the class registry.
void registerDateEditClass() {}
