// Resource identifiers, shared by the resource script and the code.
#ifndef TRAYLNCH_RESOURCE_H
#define TRAYLNCH_RESOURCE_H

// A plain macro, because the resource compiler understands nothing else.
#define IDI_BUILTIN 101

#endif
