// The writer, write_brimel_label: its command line, the transfer run that carries a label
// file from its reading to the devices, and the update workflow that finds the target
// devices on the network, asks the operator and erases and writes each one. The registry
// it works on lies below it (device_registry.h).
#ifndef SRC_WRITE_BRIMEL_LABEL_WRITE_BRIMEL_LABEL_H_
#define SRC_WRITE_BRIMEL_LABEL_WRITE_BRIMEL_LABEL_H_

#include <string>
#include <vector>

#include "basic_type/basic_type.h"
#include "device_registry/device_registry.h"

// Carries one label file from reading to the devices. FAIL when the file cannot be
// opened or a line is rejected.
Status read_and_transfer_label_configuration(std::string p_file_name);

// Asks each distinct listed identifier of the registry for its information, once, in listing
// order, every one of them; on a terminal a live count shows how far it got. It stops early,
// FAIL, only when the link is gone (it could not be opened again; the devices not asked are
// then not found) or at a caught Ctrl-C.
Status request_network_information(zel_config_env& p_registry);

// Marks and warns about each target whose name came from two devices of the network, or whose
// device answered under two names; such a target is never written.
void mark_ambiguous_targets(zel_config_env& p_registry);

// The program, on its arguments (the program's name first): the manual, the version, the
// launch line and one transfer run per label file; the status is the worst of the files'.
// An argument before "--" that starts with "-" and is no word of the program nor an existing
// file is a usage error (status 2) before anything runs. No argument at all, not even the
// name, is an error.
int write_brimel_label_main(const std::vector<std::string>& p_args);

#endif  // SRC_WRITE_BRIMEL_LABEL_WRITE_BRIMEL_LABEL_H_
