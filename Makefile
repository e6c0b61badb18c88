# The two commands a newcomer needs: `make run` and `make test`.
.PHONY: run test build bench dist clean

run:
	@scripts/run.sh

test:
	@scripts/test.sh

build:
	@scripts/install-deps.sh
	@scripts/build.sh

bench:
	@echo "make bench is not built yet. Once the transfer engine lands it will download the same"
	@echo "files from nginx on 127.0.0.1 with Vonu, aria2c, curl and ffmpeg and print the ratios"
	@echo "of one run. Nothing has been measured."
	@exit 1

dist:
	@echo "make dist is not built yet. Once the setup program lands it will build Vonu-Setup.exe"
	@echo "carrying Vonu.exe and the browser extension's files. Nothing has been built."
	@exit 1

clean:
	rm -rf build
